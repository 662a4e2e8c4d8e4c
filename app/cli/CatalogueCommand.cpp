#include <memory>

#include "CCommandLine.h"
#include "CDatabase.h"
#include "CStderrSink.h"
#include "CStringList.h"
#include "CTerminalProgress.h"
#include "CatalogueLoader.h"
#include "CliSupport.h"
#include "Codepage.h"
#include "Commands.h"
#include "ReferenceConnection.h"

int RunCatalogue(const CCommandLine&, std::ostream& out, std::ostream& err)
{
    CStderrSink sink(err);
    CDatabase db;
    if (!OpenReferenceDatabase(db, sink))
        return kExitFailed;

    CStringList catalogue;
    if (!LoadCatalogue(db, catalogue, sink, [] { return std::make_unique<CTerminalProgress>("Loading diagnoses"); }))
        return kExitFailed;
    std::string text;
    for (const std::string& entry : catalogue) {
        text += codepage::Utf8FromCp1252(entry);
        text += '\n';
    }
    out << text;
    return kExitOk;
}
