// Base64 and uuencoding (TNMUUProcessor) and URL decoding of form data (TNMURL).
#include "net/nm_url.h"
#include "net/uu_processor.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(UUProcessor, MimeVectors) {
    const std::vector<std::pair<QByteArray, QByteArray>> rows{
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"user:pass", "dXNlcjpwYXNz"},
        {QByteArray("\xff\xfe\x00", 3), "//4A"},
    };
    for (const auto& [input, output] : rows)
        EXPECT_EQ(TNMUUProcessor::mime_one_line(input), output) << input.toStdString();
}

TEST(UUProcessor, FortyFiveBytesPerLine) {
    TNMUUProcessor processor;
    int begun = 0;
    int ended = 0;
    processor.OnBeginEncode = [&] { ++begun; };
    processor.OnEndEncode = [&] { ++ended; };
    const QByteArray one_line = processor.Encode(QByteArray(45, 'a'));
    EXPECT_EQ(one_line.size(), 62);
    EXPECT_TRUE(one_line.endsWith("\r\n"));
    const QByteArray two_lines = processor.Encode(QByteArray(46, 'a'));
    EXPECT_EQ(two_lines, one_line + "YQ==\r\n");
    EXPECT_EQ(begun, 2);
    EXPECT_EQ(ended, 2);
    // The one-line form is the same encoding without the breaks.
    EXPECT_EQ(TNMUUProcessor::mime_one_line(QByteArray(46, 'a')),
              QByteArray(one_line).replace("\r\n", "") + "YQ==");
}

TEST(UUProcessor, UuencodedLines) {
    TNMUUProcessor processor;
    processor.Method = TNMUUProcessor::uuCode;
    EXPECT_EQ(processor.Encode("Cat"), "#0V%T\r\n");
    EXPECT_EQ(processor.Encode(QByteArray(3, '\0')), "#````\r\n");
    EXPECT_EQ(processor.Encode(QByteArray(46, 'a')).count("\r\n"), 2);
}

TEST(FormDecoding, PlusAndPercent) {
    TNMURL decoder;
    QStringList errors;
    decoder.OnError = [&](const QString&, const QString& message) { errors << message; };
    EXPECT_EQ(decoder.Decode("city=New+York%2C+NY%41%62"), "city=New York, NYAb");
    EXPECT_EQ(decoder.Decode("%00x"), QByteArray("\0x", 2));
    EXPECT_TRUE(errors.isEmpty());
    for (const QByteArray& broken : {QByteArray("a%4"), QByteArray("%zz+b"), QByteArray("100%")}) {
        EXPECT_EQ(decoder.Decode(broken), broken);
    }
    EXPECT_EQ(errors, QStringList(3, "Error during decode"));
}
