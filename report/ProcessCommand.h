#pragma once

#include <string>
#include <vector>

#include "CReportRow.h"
#include "CStringList.h"
#include "DateValue.h"

class CDatabase;
class CVesmarDoc;
class CRecordset;
class IEngineObserver;
class IMessageSink;
class IProgress;

// What the Process command gathers from the document and the form.
struct CProcessInput {
    unsigned char male = 1;        // the document's sex flag: 1 gives "M", anything else "F"
    DateValue birthDate;
    DateValue admissionDate;
    bool birthDateOk = false;      // the form accepted the birth-date edit's text
    bool admissionDateOk = false;  // the same for the admission-date edit
    std::string discharge;         // "", "E", "R" or "L" (see DischargeCode)
    int duration = 0;              // the duration edit read with atoi rules
    const CStringList* chosen = nullptr;
    const CStringList* bi = nullptr;
};

// The document's part of the input: sex, the two dates and the two lists
// (borrowed from doc). The accepted flags, the discharge and the duration
// are the caller's.
CProcessInput ProcessInputFrom(const CVesmarDoc& doc);

// The discharge code of the combo box's selection: no selection (-1) and the
// first item (0) give the empty code, any other item its text's first character.
std::string DischargeCode(int selectedIndex, const std::string& selectedItemText);

// The date check, in this order: birth date valid, admission date valid,
// birth edit accepted, admission edit accepted, admission minus birth not
// negative (0 passes). On success ageDays is that span in whole days, cut
// towards zero. A span that is not a finite number of days representable as
// an int fails too. On failure the caller shows message 32773.
bool CheckDates(const CProcessInput& input, int& ageDays);

// Groups the case (after CheckDates passed) and returns the report text: the
// patient, then the engine constructed, setDatabase, setDiagnoses(chosen, bi),
// setDischarge, setDuration, determineDRG with an empty result list, then
// BuildReport with a CDRGLookup on lookupSet. sink shows the engine's warnings;
// observer, when given, sees every statement and pass. Everything created here
// is released on every path; a CDBException from the engine or a look-up is
// passed on with lookupSet closed.
std::string GroupCase(const CProcessInput& input, int ageDays, CDatabase& db, CRecordset& lookupSet,
                      IProgress& progress, IMessageSink& sink, IEngineObserver* observer = nullptr);

// The same run, returning the report's rows in report order instead of their
// text (GroupCase joins them with JoinReportLines).
std::vector<CReportRow> GroupCaseRows(const CProcessInput& input, int ageDays, CDatabase& db,
                                      CRecordset& lookupSet, IProgress& progress, IMessageSink& sink,
                                      IEngineObserver* observer = nullptr);
