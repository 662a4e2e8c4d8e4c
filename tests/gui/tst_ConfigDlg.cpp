// Edit > Configuration: the dialog's template, reading the stored settings
// at construction, OK writing them (and telling when it cannot), Cancel and
// Esc storing nothing.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "CConfigDlg.h"
#include "CRegistry.h"
#include "GuiFakes.h"
#include "StringTable.h"
#include "TestDb.h"

class TestConfigDlg : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        useSettingsDir(dir->path());
        sink.messages.clear();
    }

    void templateControlsAndTabOrder()
    {
        writeSettingsFile(dir->path(), {"Host=db.example", "User=coder", "Password=s3cret"});
        CConfigDlg dialog(sink);
        QCOMPARE(dialog.objectName(), QStringLiteral("139"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Configuration"));
        QVERIFY(dialog.isModal());
        const Qt::WindowFlags flags = dialog.windowFlags();
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & Qt::WindowSystemMenuHint));

        const std::pair<const char*, const char*> labels[] = {
            {"1027", "Database-host:"}, {"1028", "Username:"}, {"1029", "Password:"}};
        for (auto [id, text] : labels) {
            auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(id));
            QVERIFY2(label, id);
            QCOMPARE(label->text(), QString::fromLatin1(text));
        }
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("1"));
        auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("2"));
        QVERIFY(ok && cancel);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QVERIFY(ok->isDefault());

        // The password is shown as typed, like the other two.
        QCOMPARE(edit(dialog, "1031")->echoMode(), QLineEdit::Normal);
        QCOMPARE(edit(dialog, "1031")->text(), QStringLiteral("s3cret"));
        QCOMPARE(edit(dialog, "1024")->text(), QStringLiteral("db.example"));
        QCOMPARE(edit(dialog, "1025")->text(), QStringLiteral("coder"));

        // Edits in their places: host above user above password, labels to the left.
        QVERIFY(edit(dialog, "1024")->y() < edit(dialog, "1025")->y());
        QVERIFY(edit(dialog, "1025")->y() < edit(dialog, "1031")->y());
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("1027"))->geometry().right() < edit(dialog, "1024")->x());

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(QApplication::focusWidget(), ok);
        QStringList chain;
        QWidget* widget = ok;
        for (int i = 0; i < 5; ++i) {
            chain << widget->objectName();
            widget = widget->nextInFocusChain();
            while (widget->focusPolicy() == Qt::NoFocus)
                widget = widget->nextInFocusChain();
        }
        QCOMPARE(chain, (QStringList{"1", "2", "1024", "1025", "1031"}));
        dialog.reject();
    }

    void incompleteSettingsShowEmptyEdits_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("nothing stored") << QStringList{};
        QTest::newRow("password missing") << QStringList{"Host=db.example", "User=coder"};
        QTest::newRow("over 1000 bytes") << QStringList{"Host=" + QString(600, 'h'), "User=" + QString(400, 'u'), "Password=p"};
    }

    void incompleteSettingsShowEmptyEdits()
    {
        QFETCH(QStringList, lines);
        if (!lines.isEmpty())
            writeSettingsFile(dir->path(), lines);
        CConfigDlg dialog(sink);
        for (const char* id : {"1024", "1025", "1031"})
            QVERIFY2(edit(dialog, id)->text().isEmpty(), id);
        QVERIFY(dialog.m_strHost.empty() && dialog.m_strUser.empty() && dialog.m_strPassword.empty());
        QVERIFY(sink.messages.empty());
    }

    void okStoresTheThreeValues()
    {
        CConfigDlg dialog(sink);
        dialog.show();
        QTest::keyClicks(edit(dialog, "1024"), QStringLiteral("127.0.0.1"));
        // A letter beyond ASCII, as a keyboard layout would insert it.
        edit(dialog, "1031")->insert(QString::fromUtf8("p\u00e4ss"));
        // User left empty: stored as an empty text.
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(sink.messages.empty());

        std::string host, user, password;
        QVERIFY(CRegistry().ReadSettings(host, user, password));
        QCOMPARE(host, std::string("127.0.0.1"));
        QCOMPARE(user, std::string());
        QCOMPARE(password, std::string("p\xe4ss"));
        QCOMPARE(dialog.m_strPassword, std::string("p\xe4ss"));

        // The next opening shows what is stored now.
        CConfigDlg again(sink);
        QCOMPARE(edit(again, "1031")->text(), QString::fromUtf8("p\u00e4ss"));
    }

    void okWithoutChangesWritesTheSameValues()
    {
        writeSettingsFile(dir->path(), {"Host=db.example", "User=coder", "Password=s3cret"});
        CConfigDlg dialog(sink);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        std::string host, user, password;
        QVERIFY(CRegistry().ReadSettings(host, user, password));
        QCOMPARE(host + "|" + user + "|" + password, std::string("db.example|coder|s3cret"));
        QVERIFY(sink.messages.empty());
    }

    void failedWriteTellsAndCloses()
    {
        // The settings folder cannot be created: its place is taken by a
        // regular file. This holds for root too.
        QFile blocker(dir->path() + "/Orbel");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        CConfigDlg dialog(sink);
        dialog.show();
        QTest::keyClicks(edit(dialog, "1024"), QStringLiteral("newhost"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(sink.messages.size(), std::size_t(1));
        QCOMPARE(sink.messages[0].text, std::string("Error: Could not save to the registry"));
        QCOMPARE(sink.messages[0].text, LoadString(IDS_REGISTRY_WRITE_FAILED));
        QCOMPARE(sink.messages[0].icon, MessageIcon::Warning);
        QCOMPARE(sink.messages[0].caption, std::string("Vesmar"));
        QVERIFY(QFileInfo(blocker.fileName()).isFile());
    }

    void cancelAndEscStoreNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }

    void cancelAndEscStoreNothing()
    {
        QFETCH(bool, escape);
        writeSettingsFile(dir->path(), {"Host=db.example", "User=coder", "Password=s3cret"});
        CConfigDlg dialog(sink);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        edit(dialog, "1024")->setText(QStringLiteral("elsewhere"));
        edit(dialog, "1025")->setText(QStringLiteral("intruder"));
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        std::string host, user, password;
        QVERIFY(CRegistry().ReadSettings(host, user, password));
        QCOMPARE(host + "|" + user + "|" + password, std::string("db.example|coder|s3cret"));
        QVERIFY(sink.messages.empty());
    }

private:
    static QLineEdit* edit(QDialog& dialog, const char* id)
    {
        auto* found = dialog.findChild<QLineEdit*>(QString::fromLatin1(id));
        if (!found)
            qFatal("no edit %s", id);
        return found;
    }

    std::unique_ptr<QTemporaryDir> dir;
    CRecordingSink sink;
};

QTEST_MAIN(TestConfigDlg)
#include "tst_ConfigDlg.moc"
