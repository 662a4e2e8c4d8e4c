#include "CCommandLine.h"
#include "CStderrSink.h"
#include "CVesmarDoc.h"
#include "CliSupport.h"
#include "Commands.h"

int RunResave(const CCommandLine& line, std::ostream&, std::ostream& err)
{
    CStderrSink sink(err);
    CVesmarDoc doc;
    if (!OpenCaseFile(doc, line.operands()[0], sink))
        return kExitFailed;
    return doc.OnSaveDocument(line.operands()[1], sink) ? kExitOk : kExitFailed;
}
