#include <gtest/gtest.h>

#include "platform/Convert.h"
#include "tests/support/TestSupport.h"

namespace corvina {
namespace {

TEST(StrToInt, AcceptsLeadingZerosAndSigns) {
    EXPECT_EQ(strToInt("03"), 3);
    EXPECT_EQ(strToInt("9"), 9);
    EXPECT_EQ(strToInt("-4000"), -4000);
}

TEST(StrToInt, RejectsWhatIsNotAPlainNumber) {
    for (const char* text : {"", " 3", "3 ", "0x", "3:", "99999999999"}) {
        try {
            strToInt(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
}

TEST(ErrorReport, RunHandlerReportsAndSwallows) {
    test::ErrorCapture capture;
    bool after = false;
    runHandler([&] {
        throw Error(QStringLiteral("boom"));
        after = true;  // never reached
    });
    EXPECT_FALSE(after);
    EXPECT_EQ(capture.messages(), QStringList{QStringLiteral("boom")});
}

}  // namespace
}  // namespace corvina
