#pragma once

#include <deque>
#include <memory>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include "CVesmarApp.h"
#include "DialogRunner.h"
#include "IDocumentPrompts.h"
#include "TestDb.h"

// Runs modal dialogs without a nested event loop: each dialog is shown, the
// next scripted step works its controls, and the dialog's result is
// returned. Without a step the dialog is rejected, as Esc would.
class ScriptedRunner : public IDialogRunner {
public:
    using Step = std::function<void(QDialog&)>;

    int run(QDialog& dialog) override
    {
        seen.push_back(dialog.objectName());
        types.push_back(QString::fromLatin1(dialog.metaObject()->className()));
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        if (steps.empty()) {
            dialog.reject();
        } else {
            Step step = std::move(steps.front());
            steps.pop_front();
            step(dialog);
        }
        wasVisibleAfterStep.push_back(dialog.isVisible());
        const int result = dialog.result();
        dialog.hide();
        return result;
    }

    std::deque<Step> steps;
    std::vector<QString> seen;
    std::vector<QString> types;
    std::vector<bool> wasVisibleAfterStep;
};

// Answers the document commands' questions from a script.
class ScriptedPrompts : public IDocumentPrompts {
public:
    std::optional<std::string> askOpenPath(const FileDialogRequest&) override { return next(openPaths); }
    std::optional<std::string> askSavePath(const FileDialogRequest&) override { return next(savePaths); }
    SaveAnswer askSaveChanges(const std::string& question) override
    {
        questions.push_back(question);
        if (answers.empty())
            return SaveAnswer::Cancel;
        SaveAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<std::string>> openPaths;
    std::deque<std::optional<std::string>> savePaths;
    std::deque<SaveAnswer> answers;
    std::vector<std::string> questions;

private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& queue)
    {
        if (queue.empty())
            return std::nullopt;
        auto value = queue.front();
        queue.pop_front();
        return value;
    }
};

// Points the settings store (system scope, Orbel/Vesmar) at dir: the
// environment for anything that looks there, and Qt's own path table, which
// Qt reads from the environment only once per process.
inline void useSettingsDir(const QString& dir)
{
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, dir);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, dir);
}

// Writes dir/Orbel/Vesmar.conf with the given lines under [General].
inline void writeSettingsFile(const QString& dir, const QStringList& lines)
{
    QDir().mkpath(dir + QStringLiteral("/Orbel"));
    QFile file(dir + QStringLiteral("/Orbel/Vesmar.conf"));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write("[General]\n");
    for (const QString& line : lines)
        file.write(line.toUtf8() + '\n');
}

// Settings in dir/xdg that reach the private server with the program's own
// SELECT-only account, as scripts/refdb creates it.
inline void useServerSettings(const QString& dir)
{
    useSettingsDir(dir + QStringLiteral("/xdg"));
    writeSettingsFile(dir + QStringLiteral("/xdg"),
                      {QStringLiteral("Host=127.0.0.1:%1").arg(QString::fromStdString(testdb::port())),
                       QStringLiteral("User=vesmar"), QStringLiteral("Password=vesmar")});
}

// A new application whose settings, in a new folder dir, reach the private
// server, with the message sink and the scripted dialogs emptied; null when
// the folder cannot be made.
inline std::unique_ptr<CVesmarApp> NewAppOnServer(std::unique_ptr<QTemporaryDir>& dir, CRecordingSink& sink,
                                                  ScriptedRunner& runner, ScriptedPrompts& prompts)
{
    dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid())
        return nullptr;
    useServerSettings(dir->path());
    sink = CRecordingSink();
    runner = ScriptedRunner();
    prompts = ScriptedPrompts();
    return std::make_unique<CVesmarApp>(sink, runner, prompts);
}
