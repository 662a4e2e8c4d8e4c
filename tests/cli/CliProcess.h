#pragma once

#include <map>
#include <string>
#include <vector>

// Runs vesmar-cli in a child process and collects what it did.
struct CliRun {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// env: variables to set (or, with an empty value, to remove) for the child.
CliRun runCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {});

// The same child started without waiting for it: standard output and
// error go to the two files. Returns its process id.
int startCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
             const std::string& outPath, const std::string& errPath);
// Waits for a child of startCli; its exit status, -1 when it did not exit
// normally.
int waitCli(int pid);

// A fresh empty folder under the system's temporary folder.
std::string makeTempDir();
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
