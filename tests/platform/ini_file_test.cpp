#include "platform/ini_file.h"

#include <gtest/gtest.h>

TEST(IniFile, EveryValueSurvivesAWriteAndARead) {
    const QString values[] = {
        QString(),
        QStringLiteral("Paris, France (O)"),
        QStringLiteral("  leading and trailing  "),
        QStringLiteral("\"starts with a quote"),
        QStringLiteral("back\\slash and \\n not a newline"),
        QStringLiteral("line one\nline two\r\nthree\ttab"),
        QStringLiteral("a=b=c; # not a comment [nor a group]"),
        QStringLiteral("@Variant(not special)"),
        QStringLiteral("Z\u00fcrich \u00b0 \u6771\u4eac"),
        QString(QChar(0)) + QStringLiteral("nul and \x01 control"),
    };
    IniDocument doc;
    int i = 0;
    for (const auto& v : values)
        doc.set_value(QStringLiteral("Settings"), QStringLiteral("v%1").arg(i++), v);
    const auto back = parse_ini(format_ini(doc));
    ASSERT_TRUE(back.has_value());
    i = 0;
    for (const auto& v : values) {
        EXPECT_EQ(back->value(QStringLiteral("settings"), QStringLiteral("V%1").arg(i)), v) << i;
        ++i;
    }
}

TEST(IniFile, ReadsHandWrittenFiles) {
    const auto doc = parse_ini("; comment\r\n# another\r\n[Settings]\r\n  Metric = y \r\n\r\n"
                               "[Locations]\nloc0=Austin, TX\nloc0=Later wins\n[settings]\nAutoUpdate=n\n");
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(doc->value(QStringLiteral("Settings"), QStringLiteral("metric")), QStringLiteral("y"));
    EXPECT_EQ(doc->value(QStringLiteral("Settings"), QStringLiteral("AutoUpdate")), QStringLiteral("n"));
    EXPECT_EQ(doc->value(QStringLiteral("Locations"), QStringLiteral("loc0")), QStringLiteral("Later wins"));
    EXPECT_FALSE(doc->value(QStringLiteral("Locations"), QStringLiteral("loc1")).has_value());
    EXPECT_EQ(doc->groups.size(), 2);
}

TEST(IniFile, RejectsWhatIsNotAnIniFile) {
    const QByteArray bad[] = {
        QByteArray("[Settings\nA=b\n"),
        QByteArray("A=b\n"),                      // value outside a group
        QByteArray("[Settings]\njust words\n"),   // neither group nor value
        QByteArray("[Settings]\n=no name\n"),
        QByteArray("[]\n"),
        QByteArray("[Settings]\nA=\xff\xfe\n"),   // not UTF-8
        QByteArray("[Settings]\nA=b\0c\n", 16),   // NUL byte
        QByteArray("[Settings]\nA=dangling\\\n"), // escape without its character
        QByteArray("[Settings]\nA=\\q\n"),
    };
    for (const auto& text : bad)
        EXPECT_FALSE(parse_ini(text).has_value()) << text.toStdString();
    EXPECT_TRUE(parse_ini(QByteArray()).has_value());
}

TEST(IniFile, SetValueKeepsTheFirstSpellingAndRemoveGroupIgnoresCase) {
    IniDocument doc;
    doc.set_value(QStringLiteral("Settings"), QStringLiteral("Labelfcolor"), QStringLiteral("clRed"));
    doc.set_value(QStringLiteral("SETTINGS"), QStringLiteral("labelfcolor"), QStringLiteral("clLime"));
    ASSERT_EQ(doc.groups.size(), 1);
    ASSERT_EQ(doc.groups[0].values.size(), 1);
    EXPECT_EQ(doc.groups[0].values[0].name, QStringLiteral("Labelfcolor"));
    EXPECT_EQ(doc.groups[0].values[0].value, QStringLiteral("clLime"));
    EXPECT_TRUE(doc.remove_group(QStringLiteral("settings")));
    EXPECT_FALSE(doc.remove_group(QStringLiteral("settings")));
}
