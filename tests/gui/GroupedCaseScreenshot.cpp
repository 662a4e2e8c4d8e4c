// Picture of the main window with one example case entered through the
// form's controls and grouped, for the README. Run by scripts/screenshot
// under Xvfb against the sample reference database.
//
//   vesmar_screenshot OUT.png BIRTH ADMISSION SEX DISCHARGE DURATION DIAGNOSES BIDIAGNOSES [DETAILS.png PAGES.pdf]
//
// With the last two, also the grouping details window (View > Grouping
// details...) and the case's pages as File > Export as PDF... writes them.
// The case arguments are the fields of a line of sample/examples.csv (dates
// yyyy-MM-dd, codes separated by '|').
#include <cstdio>

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "CCasePages.h"
#include "CDocumentPromptsQt.h"
#include "CMainFrame.h"
#include "CMessageBoxSink.h"
#include "CVesmarApp.h"
#include "CVesmarView.h"
#include "DialogRunner.h"
#include "StringTable.h"

namespace {

template <typename T>
T* control(QWidget* view, const char* id)
{
    T* found = view->findChild<T*>(QString::fromLatin1(id));
    if (!found) {
        std::fprintf(stderr, "vesmar_screenshot: the form has no control %s\n", id);
        std::exit(1);
    }
    return found;
}

// Types code into the search field and double-clicks the entry it selects.
void choose(CVesmarView* view, const QString& code)
{
    control<QLineEdit>(view, "1000")->setText(code + QLatin1Char(' '));
    view->OnDblclkCatalogue();
}

// Selects the chosen diagnosis of code and moves it with "->".
void moveToBi(CVesmarView* view, const QString& code)
{
    auto* chosen = control<QListView>(view, "1006");
    for (int row = 0; row < chosen->model()->rowCount(); ++row) {
        const QModelIndex index = chosen->model()->index(row, 0);
        if (index.data().toString().startsWith(code + QLatin1Char(' '))) {
            chosen->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
            control<QPushButton>(view, "1008")->click();
            return;
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 9 && args.size() != 11) {
        std::fprintf(stderr, "usage: vesmar_screenshot OUT.png BIRTH ADMISSION SEX DISCHARGE DURATION DIAGNOSES "
                             "BIDIAGNOSES [DETAILS.png PAGES.pdf]\n");
        return 2;
    }
    CMessageBoxSink sink;
    CModalDialogRunner runner;
    CDocumentPromptsQt prompts(runner);
    CVesmarApp app(sink, runner, prompts);
    if (!app.InitInstance({}))
        return 1;
    CVesmarView* view = app.View();

    control<QLineEdit>(view, "1035")->setText(args[2]);
    control<QLineEdit>(view, "1039")->setText(args[3]);
    control<QRadioButton>(view, args[4] == QLatin1String("F") ? "1013" : "1012")->click();
    auto* discharge = control<QComboBox>(view, "1019");
    for (int i = 0; i < discharge->count(); ++i)
        if (!args[5].isEmpty() && discharge->itemText(i).startsWith(args[5]))
            discharge->setCurrentIndex(i);
    control<QLineEdit>(view, "1023")->setText(args[6]);
    const QStringList chosen = args[7].split(QLatin1Char('|'), Qt::SkipEmptyParts);
    const QStringList bi = args[8].split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (const QString& code : chosen + bi)
        choose(view, code);
    for (const QString& code : bi)
        moveToBi(view, code);
    control<QLineEdit>(view, "1000")->setText(chosen.value(0));
    control<QPushButton>(view, "1010")->click();
    QCoreApplication::processEvents();

    if (control<QPlainTextEdit>(view, "1011")->toPlainText().isEmpty())
        std::fprintf(stderr, "vesmar_screenshot: the case gave no result lines\n");
    if (!app.MainFrame()->grab().save(args[1])) {
        std::fprintf(stderr, "vesmar_screenshot: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    if (args.size() == 11) {
        app.MainFrame()->CommandAction(ID_VIEW_GROUPING_DETAILS)->trigger();
        auto* details = app.MainFrame()->findChild<QDialog*>(QStringLiteral("143"));
        QCoreApplication::processEvents();
        if (!details || !details->grab().save(args[9])) {
            std::fprintf(stderr, "vesmar_screenshot: cannot write %s\n", qPrintable(args[9]));
            return 1;
        }
        if (!WriteCasePdf(app.PageContent(), args[10].toStdString(), sink))
            return 1;
    }
    // The case was entered for the picture only: nothing to save.
    app.Document().SetModifiedFlag(false);
    return 0;
}
