#include <memory>

#include "CCommandLine.h"
#include "CCountingSink.h"
#include "CDatabase.h"
#include "CStderrSink.h"
#include "CStringList.h"
#include "CTerminalProgress.h"
#include "CatalogueLoader.h"
#include "CliSupport.h"
#include "Codepage.h"
#include "Commands.h"

int RunCatalogue(const CCommandLine&, std::ostream& out, std::ostream& err)
{
    CStderrSink sink(err);
    CDatabase db;
    if (!OpenReferenceDatabase(db, sink))
        return kExitFailed;

    // The loader tells a failure only by its messages (the list stays
    // empty): that tells a failed load from an empty table.
    CCountingSink loaderSink(sink);
    CStringList catalogue;
    LoadCatalogue(db, catalogue, loaderSink,
                  [] { return std::make_unique<CTerminalProgress>("Loading diagnoses"); });
    if (loaderSink.count() > 0)
        return kExitFailed;
    std::string text;
    for (const std::string& entry : catalogue) {
        text += codepage::utf8FromCp1252(entry);
        text += '\n';
    }
    out << text;
    return kExitOk;
}
