#include "shared/replace_all.h"

#include "app/print_qstring.h"

#include <gtest/gtest.h>

namespace {

struct ReplaceCase {
    const char* text;
    const char* find;
    const char* replacement;
    const char* expected;
};

TEST(ReplaceAll, ReplacesNonOverlappingOccurrencesLeftToRightWithoutRescanning) {
    const ReplaceCase cases[] = {
        {"New York", " ", "_", "New_York"},
        {"Rio de Janeiro", " ", "_", "Rio_de_Janeiro"},
        {"Buenos_Aires", "_", " ", "Buenos Aires"},
        {"aaa", "aa", "b", "ba"},   // left to right, no overlap
        {"a_b", "_", "__", "a__b"}, // the inserted text is not searched again
        {"xx", "x", "xx", "xxxx"},
        {"_lead and trail_", "_", "", "lead and trail"},
        {"Chicago", " ", "_", "Chicago"},
        {"", " ", "_", ""},
        {"abc", "", "x", "abc"}, // an empty find changes nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(replace_all(QString::fromLatin1(c.text), QString::fromLatin1(c.find),
                              QString::fromLatin1(c.replacement)),
                  QString::fromLatin1(c.expected));
    }
}

} // namespace
