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
        QStringLiteral("C:\\x41 looks like an escape, \\x4 and \\ do not"),
    };
    IniDocument doc;
    int i = 0;
    for (const auto& v : values)
        doc.set_value(QStringLiteral("Settings"), QStringLiteral("v%1").arg(i++), v);
    const IniDocument back = parse_ini(format_ini(doc));
    EXPECT_EQ(back.unreadable_lines, 0);
    i = 0;
    for (const auto& v : values) {
        EXPECT_EQ(back.value(QStringLiteral("settings"), QStringLiteral("V%1").arg(i)), v) << i;
        ++i;
    }
}

TEST(IniFile, ReadsHandWrittenFiles) {
    const IniDocument doc =
        parse_ini("; comment\r\n# another\r\n[Settings]\r\n  Metric = y \r\n\r\n"
                  "[Locations]\nloc0=Austin, TX\nloc0=Later wins\n[settings]\nAutoUpdate=n\n"
                  "StartupLoc=C:\\temp\\new\n");
    EXPECT_EQ(doc.unreadable_lines, 0);
    EXPECT_EQ(doc.value(QStringLiteral("Settings"), QStringLiteral("metric")), QStringLiteral("y"));
    EXPECT_EQ(doc.value(QStringLiteral("Settings"), QStringLiteral("AutoUpdate")),
              QStringLiteral("n"));
    EXPECT_EQ(doc.value(QStringLiteral("Locations"), QStringLiteral("loc0")),
              QStringLiteral("Later wins"));
    EXPECT_FALSE(doc.value(QStringLiteral("Locations"), QStringLiteral("loc1")).has_value());
    // A value typed by hand reads as typed: only the file's own escapes are decoded.
    EXPECT_EQ(doc.value(QStringLiteral("Settings"), QStringLiteral("StartupLoc")),
              QStringLiteral("C:\\temp\\new"));
    EXPECT_EQ(doc.groups.size(), 2);
}

TEST(IniFile, ALineThatCannotBeReadIsSkippedAndWrittenBackUnchanged) {
    struct Row {
        const char* name;
        QByteArray line;
    };
    // clang-format off
    const Row rows[] = {
        {"no equals sign", "just words"},
        {"no name", "=no name"},
        {"NUL byte", QByteArray("A=b\0c", 5)},
        {"broken group line", "[Settings"},
        {"empty group name", "[]"},
        {"carriage return kept", "just words\r"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray text =
            "[Settings]\nMetric=y\n" + row.line + "\nAutoUpdate=n\n[Locations]\nloc0=Austin, TX\n";
        IniDocument doc = parse_ini(text);
        EXPECT_EQ(doc.unreadable_lines, 1 + (row.line.startsWith('[') ? 1 : 0));
        EXPECT_EQ(doc.value(QStringLiteral("Settings"), QStringLiteral("Metric")),
                  QStringLiteral("y"));
        EXPECT_EQ(doc.value(QStringLiteral("Locations"), QStringLiteral("loc0")),
                  QStringLiteral("Austin, TX"));
        doc.set_value(QStringLiteral("Settings"), QStringLiteral("Metric"), QStringLiteral("n"));
        const QByteArray written = format_ini(doc);
        EXPECT_TRUE(written.contains(QByteArray("\n" + row.line + "\n"))) << written.toStdString();
        const IniDocument again = parse_ini(written);
        EXPECT_EQ(again.unreadable_lines, doc.unreadable_lines);
        EXPECT_EQ(again.value(QStringLiteral("Settings"), QStringLiteral("Metric")),
                  QStringLiteral("n"));
        EXPECT_EQ(format_ini(again), written);
    }

    // A value before the first group is kept before it.
    const IniDocument early = parse_ini("Orphan=1\n[Settings]\nMetric=y\n");
    EXPECT_EQ(early.unreadable_lines, 1);
    EXPECT_TRUE(format_ini(early).startsWith("Orphan=1\n"));
    EXPECT_TRUE(parse_ini(QByteArray()).groups.isEmpty());
}

TEST(IniFile, LinesThatAreNotUtf8ReadAsWindows1252) {
    const IniDocument doc = parse_ini("[Settings]\nStartupLoc=Z\xfcrich, Switzerland (O)\n"
                                      "Proxy=\xe2\x80\x9cutf-8\xe2\x80\x9d\n"
                                      "ProxyUserid=\x93"
                                      "cp1252\x94\n");
    EXPECT_EQ(doc.unreadable_lines, 0);
    EXPECT_EQ(doc.value(QStringLiteral("Settings"), QStringLiteral("StartupLoc")),
              QStringLiteral("Z\u00fcrich, Switzerland (O)"));
    EXPECT_EQ(doc.value(QStringLiteral("Settings"), QStringLiteral("Proxy")),
              QStringLiteral("\u201cutf-8\u201d"));
    EXPECT_EQ(doc.value(QStringLiteral("Settings"), QStringLiteral("ProxyUserid")),
              QStringLiteral("\u201ccp1252\u201d"));
}

TEST(IniFile, AByteOrderMarkIsSkippedBeforeTheFirstLineOnly) {
    EXPECT_EQ(parse_ini("\xEF\xBB\xBF[Settings]\nA=b\n").value("Settings", "A"),
              QStringLiteral("b"));
    // Elsewhere it is a character of its line, and a kept line that begins with one stays
    // behind the file's first line when written back.
    const IniDocument doc = parse_ini("; first\n\xEF\xBB\xBF[Other]\n[Settings]\nA=b\n");
    EXPECT_EQ(doc.unreadable_lines, 1);
    const QByteArray written = format_ini(doc);
    EXPECT_EQ(parse_ini(written).unreadable_lines, 1);
    EXPECT_EQ(format_ini(parse_ini(written)), written);
}

TEST(IniFile, SetValueKeepsTheFirstSpellingAndRemoveGroupIgnoresCase) {
    IniDocument doc;
    doc.set_value(QStringLiteral("Settings"), QStringLiteral("Labelfcolor"),
                  QStringLiteral("clRed"));
    doc.set_value(QStringLiteral("SETTINGS"), QStringLiteral("labelfcolor"),
                  QStringLiteral("clLime"));
    ASSERT_EQ(doc.groups.size(), 1);
    ASSERT_EQ(doc.groups[0].values.size(), 1);
    EXPECT_EQ(doc.groups[0].values[0].name, QStringLiteral("Labelfcolor"));
    EXPECT_EQ(doc.groups[0].values[0].value, QStringLiteral("clLime"));
    EXPECT_TRUE(doc.remove_group(QStringLiteral("settings")));
    EXPECT_FALSE(doc.remove_group(QStringLiteral("settings")));
}
