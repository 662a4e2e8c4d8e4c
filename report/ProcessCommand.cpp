#include "ProcessCommand.h"

#include <climits>
#include <cmath>
#include <vector>

#include "CDRGLookup.h"
#include "CDRGResult.h"
#include "CDetermineDRG.h"
#include "CPatient.h"
#include "CVesmarDoc.h"
#include "Report.h"

CProcessInput ProcessInputFrom(const CVesmarDoc& doc)
{
    CProcessInput input;
    input.male = doc.IsMale() ? 1 : 0;
    input.birthDate = doc.GetBirthDate();
    input.admissionDate = doc.GetAdmissionDate();
    input.chosen = &doc.GetChosenList();
    input.bi = &doc.GetBiList();
    return input;
}

std::string DischargeCode(int selectedIndex, const std::string& selectedItemText)
{
    // Index 0 is " Not Discharged?", -1 no item (also a typed text that
    // selects none); the other items begin with their code letter.
    if (selectedIndex <= 0 || selectedItemText.empty())
        return std::string();
    return selectedItemText.substr(0, 1);
}

bool CheckDates(const CProcessInput& input, int& ageDays)
{
    if (input.birthDate.m_status != DateValue::valid || input.admissionDate.m_status != DateValue::valid)
        return false;
    if (!input.birthDateOk || !input.admissionDateOk)
        return false;
    const double span = input.admissionDate.m_dt - input.birthDate.m_dt;
    // Day numbers come from case files too: a NaN or a span beyond an int
    // would make the age meaningless, so such dates are refused like a
    // negative span.
    if (!(span >= 0.0) || !(std::trunc(span) <= static_cast<double>(INT_MAX)))
        return false;
    ageDays = static_cast<int>(std::trunc(span));
    return true;
}

std::vector<CReportRow> GroupCaseRows(const CProcessInput& input, int ageDays, CDatabase& db,
                                      CRecordset& lookupSet, IProgress& progress, IMessageSink& sink,
                                      IEngineObserver* observer)
{
    CPatient patient;
    if (input.male == 1)
        patient.setMale();
    else
        patient.setFemale();
    patient.setAge(ageDays);

    std::vector<CDRGResult> results;
    CDetermineDRG engine(&patient, sink);
    if (observer)
        engine.setObserver(observer);
    engine.setDatabase(&db);
    engine.setDiagnoses(input.chosen, input.bi);
    engine.setDischarge(input.discharge);
    engine.setDuration(input.duration);
    engine.determineDRG(results, progress);

    CDRGLookup lookup(lookupSet);
    return BuildReportRows(results, lookup);
}

std::string GroupCase(const CProcessInput& input, int ageDays, CDatabase& db, CRecordset& lookupSet,
                      IProgress& progress, IMessageSink& sink, IEngineObserver* observer)
{
    return JoinReportLines(GroupCaseRows(input, ageDays, db, lookupSet, progress, sink, observer));
}
