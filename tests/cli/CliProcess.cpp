#include "CliProcess.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

std::string makeTempDir()
{
    char dir[] = "/tmp/vesmar-cli-test-XXXXXX";
    if (!mkdtemp(dir))
        throw std::runtime_error("cannot create a temporary folder");
    return dir;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

int startCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
             const std::string& outPath, const std::string& errPath)
{
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0)
            _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        for (const auto& [name, value] : env) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(VESMAR_CLI_PATH));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(VESMAR_CLI_PATH, argv.data());
        _exit(127);
    }
    return pid;
}

int waitCli(int pid)
{
    int wstatus = 0;
    waitpid(pid_t(pid), &wstatus, 0);
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

CliRun runCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& env)
{
    // Files rather than pipes: the child may fill both streams.
    const std::string dir = makeTempDir();
    const std::string outPath = dir + "/out", errPath = dir + "/err";
    CliRun run;
    run.status = waitCli(startCli(args, env, outPath, errPath));
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    rmdir(dir.c_str());
    return run;
}
