// The form's refill with the whole ICD-10-CM catalogue: after every New and
// Open the catalogue list is emptied and filled again. Target: 150 ms.
//
//   vesmar_view_bench [--benchmark_...]      (runs off screen unless
//                                              QT_QPA_PLATFORM says otherwise)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "CDatabase.h"
#include "CStringList.h"
#include "CVesmarDoc.h"
#include "CVesmarView.h"
#include "CatalogueLoader.h"
#include "Codepage.h"
#include "CatalogueTsv.h"
#include "MessageSink.h"

namespace {

// The catalogue file's rows as the loader makes its entries.
CStringList ReadCatalogue()
{
    CStringList list;
    list.Reserve(100000);
    for (const CatalogueTsvRow& row : ReadCatalogueTsv(DefaultCatalogueTsvPath()))
        list.AddTail(CatalogueEntry(row.code, codepage::Cp1252FromUtf8(row.text)));
    return list;
}

class CNoMessages : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon, const std::string&) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
};

// The same entries, last first: a server that returns the rows in another
// order makes the list sort them.
CStringList Reversed(const CStringList& list)
{
    CStringList reversed;
    reversed.Reserve(list.GetCount());
    for (std::size_t i = list.GetCount(); i-- > 0;)
        reversed.AddTail(list.GetAt(i));
    return reversed;
}

struct Form {
    CVesmarDoc doc;
    CDatabase db; // not open: the refill does not touch the database
    CStringList catalogue;
    CNoMessages sink;
    CVesmarView view{&doc, &db, &catalogue, &sink};

    explicit Form(CStringList entries)
        : catalogue(std::move(entries))
    {
        view.resize(1280, 800);
        view.show();
        QApplication::processEvents();
    }
};

Form& TheForm()
{
    static Form form(ReadCatalogue());
    return form;
}

// The call itself, as New and Open make it.
void BM_RefillFromCase(benchmark::State& state)
{
    Form& f = TheForm();
    for (auto _ : state)
        f.view.RefillFromCase();
    state.counters["entries"] = double(f.view.findChild<QListView*>("1001")->model()->rowCount());
}
BENCHMARK(BM_RefillFromCase)->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_RefillFromCaseUnordered(benchmark::State& state)
{
    static Form f(Reversed(TheForm().catalogue));
    for (auto _ : state)
        f.view.RefillFromCase();
}
BENCHMARK(BM_RefillFromCaseUnordered)->Unit(benchmark::kMillisecond)->Iterations(10);

// The call and the events it leaves (the lists' layout and the repaint):
// until the refilled form is on the screen.
void BM_RefillFromCaseShown(benchmark::State& state)
{
    Form& f = TheForm();
    for (auto _ : state) {
        f.view.RefillFromCase();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_RefillFromCaseShown)->Unit(benchmark::kMillisecond)->Iterations(30);

// A search jump to the last code: the longest walk through the list.
void BM_SearchLastCode(benchmark::State& state)
{
    Form& f = TheForm();
    auto* search = f.view.findChild<QLineEdit*>("1000");
    for (auto _ : state) {
        search->setText(QStringLiteral("Z99.89"));
        search->clear();
    }
}
BENCHMARK(BM_SearchLastCode)->Unit(benchmark::kMillisecond)->Iterations(30);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
