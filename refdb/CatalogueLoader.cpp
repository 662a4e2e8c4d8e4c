#include "CatalogueLoader.h"

#include "CDBException.h"
#include "CIcdSet.h"
#include "CStringList.h"
#include "MessageSink.h"
#include "Progress.h"
#include "StringTable.h"

namespace {

void reportFailure(IMessageSink& sink, const CDBException& e)
{
    sink.showMessage(LoadString(IDS_BULKFETCH_FAILED));
    sink.showMessage(e.m_strError);
}

} // namespace

std::string CatalogueEntry(const std::string& code, const std::string& text)
{
    std::string entry;
    entry.reserve(code.size() + 7 + text.size());
    entry += code;
    entry.append(code.size() == 3 ? 7 : 4, ' ');
    entry += text;
    return entry;
}

bool LoadCatalogue(CDatabase& db, CStringList& icdList, IMessageSink& sink,
                   const std::function<std::unique_ptr<IProgress>()>& makeProgress)
{
    CIcdSet set(&db);
    set.SetRowsetSize(CIcdSet::kRowsetSize);
    try {
        set.Open(CIcdSet::kSql, CRecordset::useMultiRowFetch);
    } catch (const CDBException& e) {
        reportFailure(sink, e);
        return false;
    }

    CStringList loaded;
    try {
        std::unique_ptr<IProgress> progress = makeProgress ? makeProgress() : nullptr;
        if (!progress)
            progress = std::make_unique<CSilentProgress>();

        // The range comes from a first pass over the same static result.
        long total = 0;
        while (!set.IsEOF()) {
            total += set.GetRowsFetched();
            set.MoveNext();
        }
        if (total > 0)
            set.MoveFirst();
        progress->setRange(0, int(total));

        loaded.Reserve(std::size_t(total));
        while (!set.IsEOF()) {
            for (long i = 0; i < set.GetRowsFetched(); ++i) {
                loaded.AddTail(CatalogueEntry(set.Code(i), set.Text(i)));
                progress->advance(1);
            }
            set.MoveNext();
        }
    } catch (const CDBException& e) {
        // The progress indication is gone by now; the list stays as it was.
        reportFailure(sink, e);
        set.Close();
        return false;
    }
    set.Close();
    for (const std::string& entry : loaded)
        icdList.AddTail(entry);
    return true;
}
