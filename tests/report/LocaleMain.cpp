#include <clocale>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

// Takes the process locale from the environment, as the window program's Qt
// start-up does, so that the report meets the locale a German user runs it in.
int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The run that is meant to use a comma locale must really have one:
// otherwise it would pass without testing anything the C locale run does not.
TEST(ProcessLocale, IsTheOneTheRunAskedFor)
{
    const bool wantComma = std::getenv("VESMAR_EXPECT_COMMA_LOCALE") != nullptr;
    EXPECT_STREQ(std::localeconv()->decimal_point, wantComma ? "," : ".");
}
