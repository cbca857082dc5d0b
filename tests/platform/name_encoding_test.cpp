// The encoding decision for a disc's names, at the edges the fuzz target found.
#include <gtest/gtest.h>

#include "platform/cd/DiscNames.h"

namespace {

using corvina::cd::allUtf8;
using corvina::cd::decodeName;

TEST(NameEncoding, ANameCutOffInsideACharacterIsNotUtf8) {
    // "AB" and the GBK character E4 B8, which is also the start of a three-byte UTF-8 character.
    EXPECT_FALSE(allUtf8({"AB\xe4\xb8"}));
    EXPECT_EQ(decodeName("AB\xe4\xb8", false), QStringLiteral("AB涓"));
    // Two names do not make one character between them.
    EXPECT_FALSE(allUtf8({"\xe4\xb8", "\xad"}));
    EXPECT_TRUE(allUtf8({"\xe4\xb8\xad", "Demo"}));
    EXPECT_EQ(decodeName("\xe4\xb8\xad", true), QStringLiteral("中"));
    // A stray lead byte at the end of a GBK name is shown, not dropped.
    EXPECT_EQ(decodeName("\xad", false), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(decodeName("AB\xd6", false),
              QStringLiteral("AB") + QChar(QChar::ReplacementCharacter));
}

}  // namespace
