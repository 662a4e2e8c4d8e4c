#include <gtest/gtest.h>

#include "CCaseData.h"
#include "CDetermineDRG.h"
#include "CPatient.h"
#include "EngineTestSupport.h"

TEST(CaseData, StartsUndetermined)
{
    CCaseData c;
    EXPECT_EQ(c.getDGCAT(), "<NONE>");
    EXPECT_EQ(c.getMDC(), "<NONE>");
    EXPECT_EQ(c.getCOMPL(), "<NONE>");
    EXPECT_EQ(c.getSex(), "<NONE>");
    EXPECT_EQ(c.getProcPro(), "<NONE>");
    EXPECT_EQ(c.getOR(), "<NONE>");
    EXPECT_EQ(c.getDischarge(), "<NONE>");
    EXPECT_EQ(c.getDuration(), 0);
    EXPECT_TRUE(c.getPDGPROList().IsEmpty());
    EXPECT_TRUE(c.getDGPROPList().IsEmpty());
}

TEST(CaseData, CategoryGivesTwoCharacterMdcOrAllOfAShorterOne)
{
    CCaseData c;
    c.setDGCAT("05M02");
    EXPECT_EQ(c.getMDC(), "05");
    c.setDGCAT("7");
    EXPECT_EQ(c.getDGCAT(), "7");
    EXPECT_EQ(c.getMDC(), "7");
    c.setDGCAT("");
    EXPECT_EQ(c.getMDC(), "");
}

TEST(CaseData, DiagnosisPropertiesOfTheCurrentMdcOnlyDuplicatesKept)
{
    CCaseData c;
    c.setDGCAT("01A01");
    c.addDGPROP("01X");
    c.addDGPROP("05Y");
    c.addDGPROP("0");   // shorter than the MDC: not of it
    c.addDGPROP("01X");
    c.addDGPROP("01x"); // only the MDC part is compared
    c.addDGPROP("1X");
    EXPECT_EQ(c.getDGPROPList(), makeList({"01X", "01X", "01x"}));
    EXPECT_TRUE(c.hasDGPROP("01X"));
    EXPECT_FALSE(c.hasDGPROP("05Y"));
    EXPECT_FALSE(c.hasDGPROP("01"));

    c.setDGCAT("AB1");
    c.addDGPROP("ab9");
    c.addDGPROP("AB9");
    EXPECT_FALSE(c.hasDGPROP("ab9"));
    EXPECT_TRUE(c.hasDGPROP("AB9"));
}

TEST(CaseData, FirstPrimaryPropertyAndClearingBetweenPasses)
{
    CCaseData c;
    EXPECT_EQ(c.getPDGPRO(), "");
    c.setDGCAT("01A");
    c.addPDGPRO("P2");
    c.addPDGPRO("P1");
    c.addDGPROP("01Q");
    EXPECT_EQ(c.getPDGPRO(), "P2");
    c.clearPropertyLists();
    EXPECT_TRUE(c.getPDGPROList().IsEmpty());
    EXPECT_FALSE(c.hasDGPROP("01Q"));
}

TEST(CaseData, ComplicationFlag)
{
    CCaseData c;
    c.setCOMPL(true);
    EXPECT_EQ(c.getCOMPL(), "1");
    c.setCOMPL(false);
    EXPECT_EQ(c.getCOMPL(), "0");
}

TEST(CaseData, DecisionQueryOfTheWorkedExample)
{
    CCaseData c;
    c.setDGCAT("05M02");
    EXPECT_EQ(c.buildDRGlogicQuery(),
              "SELECT * FROM drglogic WHERE (mdc = '05' OR mdc IS NULL) AND (dgcat1 = '05M02' OR dgcat1 IS NULL) "
              "AND (pdgprop IS NULL OR pdgprop IS NULL) AND (procpro1 = '<NONE>'  OR procpro1 IS NULL) ;");
}

TEST(CaseData, DecisionQueryJoinsPrimaryPropertiesWithLowerCaseOr)
{
    CCaseData c;
    c.setDGCAT("05M02");
    c.addPDGPRO("P1");
    c.addPDGPRO("P2");
    EXPECT_EQ(c.buildDRGlogicQuery(),
              "SELECT * FROM drglogic WHERE (mdc = '05' OR mdc IS NULL) AND (dgcat1 = '05M02' OR dgcat1 IS NULL) "
              "AND (pdgprop = 'P1' or pdgprop = 'P2' OR pdgprop IS NULL) "
              "AND (procpro1 = '<NONE>'  OR procpro1 IS NULL) ;");
}

TEST(CaseData, DecisionQueryEscapesQuotesAndBackslashes)
{
    CCaseData c;
    c.setDGCAT("0'\\x");
    c.addPDGPRO("a'b");
    EXPECT_EQ(c.buildDRGlogicQuery(),
              "SELECT * FROM drglogic WHERE (mdc = '0''' OR mdc IS NULL) AND (dgcat1 = '0''\\\\x' OR dgcat1 IS NULL) "
              "AND (pdgprop = 'a''b' OR pdgprop IS NULL) AND (procpro1 = '<NONE>'  OR procpro1 IS NULL) ;");
}

TEST(SetDiagnoses, CodeIsTheTextBeforeTheFirstBlankWithDotsRemovedForQueries)
{
    CPatient patient;
    CRecordingSink sink;
    CDetermineDRG engine(&patient, sink);
    const CStringList chosen = makeList({"A01.2    Paratyphoid fever B", "B019", " C02.1    text", "D0.3.1 x y",
                                         "a01.2\tkept tab"});
    const CStringList bi = makeList({"E11.9    Type 2 diabetes", "F.1", " G20    leading blank"});
    engine.setDiagnoses(&chosen, &bi);

    EXPECT_EQ(engine.displayCodes(), makeList({"A01.2", "B019", "", "D0.3.1", "a01.2\tkept"}));
    EXPECT_EQ(engine.primaryCodes(), makeList({"A012", "B019", "", "D031", "a012\tkept"}));
    EXPECT_EQ(engine.biCodes(), makeList({"E119", "F1", ""}));
    EXPECT_EQ(engine.allCodes(), makeList({"A012", "B019", "", "D031", "a012\tkept", "E119", "F1", ""}));
}
