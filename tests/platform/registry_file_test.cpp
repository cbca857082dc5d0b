// The text form of a registry root: what we write reads back the same, and what people and
// other tools write reads as they meant it.
#include <gtest/gtest.h>

#include "platform/registry/RegFile.h"

namespace corvina::registry {
namespace {

const QString kUser = QStringLiteral("HKEY_CURRENT_USER");

RegValue dword(std::uint32_t v) {
    return {RegValue::Type::Dword, v, {}};
}
RegValue text(const QString& s) {
    return {RegValue::Type::String, 0, s};
}

TEST(RegFile, WritesTheExportFormat) {
    RegKey root;
    RegKey& key = root.addSubkey("Software").addSubkey("Velmaro");
    key.setValue("ShowSplash", dword(1));
    key.setValue("Path", text(R"(C:\Corvina\"x")"));
    key.setValue("", text("Play"));
    EXPECT_EQ(formatRegFile(root, kUser), QByteArray("Windows Registry Editor Version 5.00\n"
                                                     "\n[HKEY_CURRENT_USER\\Software]\n"
                                                     "\n[HKEY_CURRENT_USER\\Software\\Velmaro]\n"
                                                     "\"ShowSplash\"=dword:00000001\n"
                                                     "\"Path\"=\"C:\\\\Corvina\\\\\\\"x\\\"\"\n"
                                                     "@=\"Play\"\n"));
}

TEST(RegFile, AwkwardNamesAndValuesReadBackUnchanged) {
    RegKey root;
    root.setValue("at root", dword(7));
    RegKey& a = root.addSubkey("Zeta ]x[");
    a.setValue("@", text("not the default value"));
    a.setValue(R"(back\slash "quoted")", text("设置 \\\"\\"));
    a.setValue("lines", text("one\r\ntwo\tthree\x01"));
    a.setValue("nul", text(QString("a") + QChar(0) + QString("b") + QChar(0)));
    a.setValue("long", text(QString(200, QChar(0x4e2d)) + "\n"));
    a.setValue("max", dword(0xffffffffu));
    a.setValue("marks", text(QChar(0xfeff) + QString("x\n")));
    a.setValue("mark", text(QChar(0xfeff) + QString("y")));
    a.setValue("", text(""));
    a.addSubkey("Empty");
    root.addSubkey("alpha").setValue("binary", RegValue{RegValue::Type::Other, 0, "hex(7):61,00"});

    const ParseResult back = parseRegFile(formatRegFile(root, kUser), kUser);
    EXPECT_EQ(back.badLines, 0);
    EXPECT_TRUE(back.root == root);
}

TEST(RegFile, ReadsHandWrittenAndForeignVariants) {
    const QByteArray file =
        "\xef\xbb\xbfWindows Registry Editor Version 5.00\r\n"
        "; a comment\r\n"
        "[HKCU\\Software\\Foo]\r\n"
        "\"Gone\"=dword:1\r\n"
        "\"Gone\"=-\r\n"
        "  \"Spaced\" = \"v\"  \r\n"
        "\"Wrapped\"=hex(1):41,00,\\\r\n"
        "  42,00,00,00\r\n"
        "[hkey_current_user\\SOFTWARE\\FOO\\Bar]\r\n"
        "[HKEY_CURRENT_USER\\Software\\Old]\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\r\n";
    const ParseResult parsed = parseRegFile(file, kUser);
    EXPECT_EQ(parsed.badLines, 0);
    const RegKey* foo = parsed.root.find({"software", "foo"});
    ASSERT_NE(foo, nullptr);
    EXPECT_EQ(parsed.root.subkeys.front().name, "Software");  // the first spelling stays
    EXPECT_EQ(foo->value(u"gone"), nullptr);
    EXPECT_EQ(foo->value(u"spaced")->text, "v");
    EXPECT_EQ(foo->value(u"Wrapped")->text, "AB");
    EXPECT_NE(foo->subkey(u"bar"), nullptr);
    EXPECT_EQ(parsed.root.find({"Software", "Old"}), nullptr);
}

TEST(RegFile, ReadsUtf16FilesFromTheRegistryEditor) {
    const QString text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Enum]\r\n\"DeviceDesc\"=\"光驱\"\r\n";
    QByteArray bytes("\xff\xfe");
    for (QChar c : text) bytes.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
    const ParseResult parsed = parseRegFile(bytes, "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(parsed.badLines, 0);
    EXPECT_EQ(parsed.root.find({"Enum"})->value(u"DeviceDesc")->text, "光驱");
}

TEST(RegFile, SkipsWhatItCannotReadAndKeepsTheRest) {
    const QByteArray file =
        "[HKEY_CURRENT_USER\\A]\n"          // 1: no header
        "\"ok\"=dword:00000002\n"           // 2
        "\"path\"=\"C:\\Program Files\"\n"  // 3: \P is no escape
        "\"big\"=dword:123456789\n"         // 4: nine digits
        "\"hex\"=dword:0x12\n"              // 5
        "[HKEY_LOCAL_MACHINE\\B]\n"         // 6: another root
        "\"lost\"=\"x\"\n"                  // 7: under the bad section
        "garbage\n"                         // 8
        "[HKEY_CURRENT_USER\\A\n"           // 9: unclosed
        "\"s\"=\"unterminated\n"            // 10
        "\"also lost\"=\"yes\"\n";          // 11: under the unclosed one
    const ParseResult parsed = parseRegFile(file, kUser);
    EXPECT_EQ(parsed.firstBadLine, 1);
    EXPECT_EQ(parsed.badLines, 10);
    const RegKey* a = parsed.root.find({"A"});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->values.size(), 1u);
    EXPECT_EQ(a->value(u"ok")->dword, 2u);
    EXPECT_EQ(parsed.root.subkeys.size(), 1u);
}

}  // namespace
}  // namespace corvina::registry
