// The command line's parser: options, file name, printer arguments.
#include <QtTest>

#include "CCommandLineInfo.h"

Q_DECLARE_METATYPE(CCommandLineInfo::ShellCommand)

class TestCommandLineInfo : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<CCommandLineInfo::ShellCommand>("command");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("printer");

        using C = CCommandLineInfo;
        const QStringList none{QString(), QString(), QString()};
        QTest::newRow("nothing") << QStringList{} << C::FileNew << "" << none;
        QTest::newRow("file") << QStringList{"case.drg"} << C::FileOpen << "case.drg" << none;
        QTest::newRow("absolute path") << QStringList{"/home/coder/a b.drg"} << C::FileOpen << "/home/coder/a b.drg" << none;
        QTest::newRow("second file ignored") << QStringList{"a.drg", "b.drg"} << C::FileOpen << "a.drg" << none;
        QTest::newRow("p") << QStringList{"-p", "case.drg"} << C::FilePrint << "case.drg" << none;
        QTest::newRow("/p") << QStringList{"/p", "case.drg"} << C::FilePrint << "case.drg" << none;
        QTest::newRow("P is no option") << QStringList{"-P", "case.drg"} << C::FileOpen << "case.drg" << none;
        QTest::newRow("pt") << QStringList{"/pt", "case.drg", "Laser", "drv", "LPT1:"} << C::FilePrintTo << "case.drg"
                            << QStringList{"Laser", "drv", "LPT1:"};
        QTest::newRow("pt after file") << QStringList{"case.drg", "-pt", "Laser", "drv", "LPT1:"} << C::FilePrintTo
                                       << "case.drg" << QStringList{"Laser", "drv", "LPT1:"};
        QTest::newRow("PT is no option") << QStringList{"-PT", "case.drg"} << C::FileOpen << "case.drg" << none;
        QTest::newRow("Unregister") << QStringList{"/Unregister"} << C::AppUnregister << "" << none;
        QTest::newRow("unregserver any case") << QStringList{"-UNREGSERVER"} << C::AppUnregister << "" << none;
        QTest::newRow("Embedding") << QStringList{"-Embedding"} << C::FileNew << "" << none;
        QTest::newRow("automation") << QStringList{"/automation"} << C::FileNew << "" << none;
        QTest::newRow("dde") << QStringList{"/dde"} << C::FileNew << "" << none;
        QTest::newRow("dde with file") << QStringList{"-DDE", "case.drg"} << C::FileOpen << "case.drg" << none;
        QTest::newRow("unknown option ignored") << QStringList{"-verbose", "case.drg"} << C::FileOpen << "case.drg" << none;
        QTest::newRow("/ path that is no option") << QStringList{"/ptcase.drg"} << C::FileOpen << "/ptcase.drg" << none;
    }

    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(CCommandLineInfo::ShellCommand, command);
        QFETCH(QString, file);
        QFETCH(QStringList, printer);

        std::vector<std::string> argv;
        for (const QString& arg : args)
            argv.push_back(arg.toStdString());
        CCommandLineInfo info;
        info.ParseCommandLine(argv);
        QCOMPARE(info.m_nShellCommand, command);
        QCOMPARE(QString::fromStdString(info.m_strFileName), file);
        QCOMPARE(QString::fromStdString(info.m_strPrinterName), printer[0]);
        QCOMPARE(QString::fromStdString(info.m_strDriverName), printer[1]);
        QCOMPARE(QString::fromStdString(info.m_strPortName), printer[2]);
    }

    void embeddingAndAutomationAreNoted()
    {
        CCommandLineInfo info;
        info.ParseCommandLine({"-Embedding", "/Automation"});
        QVERIFY(info.m_bRunEmbedded);
        QVERIFY(info.m_bRunAutomated);
    }
};

QTEST_APPLESS_MAIN(TestCommandLineInfo)
#include "tst_CommandLineInfo.moc"
