#include "textproducts/text_cleaning.h"

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#endif
#include <string_view>

namespace {

constexpr char degree_sign = char(176); // Windows-1252

std::string_view view(QByteArrayView bytes) {
    return {bytes.data(), size_t(bytes.size())};
}

// Sixteen bytes of a text at a time, and where a given byte stands among them: bit i of the
// answer for byte i. The cleaning passes below go through a text in such blocks and handle
// the places found with bit operations, so a long bulletin is walked at close to memory speed
// however many tags and lines it has.
class Bytes16 {
public:
#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
    static Bytes16 load(const char* at) {
        return Bytes16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
    }
    void store(char* to) const {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), bytes_);
    }
    unsigned where(char c) const {
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes_, _mm_set1_epi8(c))));
    }

private:
    explicit Bytes16(__m128i bytes) : bytes_(bytes) {}
    __m128i bytes_;
#else
    static Bytes16 load(const char* at) {
        Bytes16 b;
        std::memcpy(b.words_, at, 16);
        return b;
    }
    void store(char* to) const {
        std::memcpy(to, words_, 16);
    }
    unsigned where(char c) const {
        return where(words_[0], c) | where(words_[1], c) << 8;
    }

private:
    Bytes16() = default;
    // The bytes of one word equal to c: the high bit of each such byte, gathered into bits 0 to
    // 7 in memory order.
    static unsigned where(std::uint64_t word, char c) {
        constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
        const std::uint64_t x = word ^ (0x0101010101010101ull * static_cast<unsigned char>(c));
        const std::uint64_t zero = ~(((x & low7) + low7) | x | low7);
        std::uint64_t bits = zero >> 7;
        if constexpr (std::endian::native == std::endian::big)
            bits = __builtin_bswap64(bits);
        return unsigned((bits * 0x0102040810204080ull) >> 56);
    }
    std::uint64_t words_[2];
#endif
};

int first_bit(unsigned bits) {
    return std::countr_zero(bits);
}

// The first place of word in text. The candidates are the places where the word's first and
// last bytes both stand, at the word's length apart, found 64 at a time; only those are
// compared.
size_t find_text(std::string_view text, std::string_view word) {
    if (word.empty())
        return 0;
    if (word.size() > text.size())
        return std::string_view::npos;
    const size_t last = word.size() - 1;
    const size_t starts = text.size() - last; // the places the word can start at
    const char* const s = text.data();
    const auto candidates = [&](size_t at) {
        return std::uint64_t(Bytes16::load(s + at).where(word.front()) &
                             Bytes16::load(s + at + last).where(word.back()));
    };
    size_t i = 0;
    for (; i + 64 <= starts; i += 64) {
        std::uint64_t found = candidates(i) | candidates(i + 16) << 16 | candidates(i + 32) << 32 |
                              candidates(i + 48) << 48;
        for (; found != 0; found &= found - 1) {
            const size_t at = i + size_t(std::countr_zero(found));
            if (std::memcmp(s + at, word.data(), last) == 0)
                return at;
        }
    }
    for (; i < starts; ++i)
        if (std::memcmp(s + i, word.data(), word.size()) == 0)
            return i;
    return std::string_view::npos;
}

// The character that "#176" or "nbsp" before a ";" stands for; 0 for any other four bytes.
char reference_at(const char* word) {
    if (std::memcmp(word, "#176", 4) == 0)
        return degree_sign;
    if (std::memcmp(word, "nbsp", 4) == 0)
        return ' ';
    return 0;
}

// The markup removal of level2_parse, writing the text it keeps over the bytes it reads. Only
// "<", ">" and ";" change anything: tags go, and both references end in their only ";", where
// the four bytes before it are looked at once they are copied.
class TagStripper {
public:
    explicit TagStripper(char* text) : text_(text), to_(text) {}

    // The whole text of n bytes; returns the end of what is kept.
    char* run(qsizetype n) {
        char held[48];
        qsizetype i = 0;
        if (n >= 32) {
            Bytes16 bytes = Bytes16::load(text_);
            // A block's changes may write over the next block's bytes, so those are read
            // first, and the block's own bytes are read from a copy.
            for (; i + 32 <= n; i += 16) {
                const Bytes16 next = Bytes16::load(text_ + i + 16);
                bytes.store(held);
                next.store(held + 16);
                block(i, bytes, held);
                bytes = next;
            }
            bytes.store(held);
            std::memcpy(held + 16, text_ + i + 16, size_t(n - i - 16));
        } else {
            std::memcpy(held, text_, size_t(n));
        }
        tail(i, held, n - i);
        return to_;
    }

private:
    // The sixteen bytes from i, also in held[0..15] (held[16..31] follow them). In the text the
    // whole block is copied first, then put right at each place that changes it: input byte
    // i + j goes to out + j.
    void block(qsizetype i, const Bytes16& bytes, const char* held) {
        unsigned places = bytes.where('<') | bytes.where('>') | bytes.where(';');
        char* out = to_;
        if (!in_tag_)
            bytes.store(out);
        for (; places != 0; places &= places - 1) {
            const int k = first_bit(places);
            const char c = held[k];
            if (in_tag_) {
                if (c != '>')
                    continue;
                in_tag_ = false;
                run_start_ = i + k + 1;
                out = to_ - (k + 1);
                Bytes16::load(held + k + 1).store(to_);
            } else if (c == '<') {
                in_tag_ = true;
                to_ = out + k; // where the text goes on after the tag
            } else if (c == ';' && i + k - run_start_ >= 4) {
                if (const char replacement = reference_at(out + k - 4)) {
                    out[k - 4] = replacement;
                    out -= 4;
                    Bytes16::load(held + k + 1).store(out + k + 1);
                }
            }
        }
        if (!in_tag_)
            to_ = out + 16;
    }

    // The last bytes (fewer than 32), from i, one by one.
    void tail(qsizetype i, const char* held, qsizetype count) {
        for (qsizetype j = 0; j < count; ++j) {
            const char c = held[j];
            if (in_tag_) {
                if (c == '>') {
                    in_tag_ = false;
                    run_start_ = i + j + 1;
                }
                continue;
            }
            if (c == '<') {
                in_tag_ = true;
                continue;
            }
            const char replacement =
                c == ';' && i + j - run_start_ >= 4 ? reference_at(to_ - 4) : 0;
            if (replacement) {
                to_[-4] = replacement;
                to_ -= 3;
            } else {
                *to_++ = c;
            }
        }
    }

    char* const text_;
    char* to_; // where the next byte of text goes
    bool in_tag_ = false;
    qsizetype run_start_ = 0; // where the text after the last tag starts
};

QByteArrayView trimmed_of_controls(QByteArrayView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && quint8(text[first]) <= 32)
        ++first;
    while (last > first && quint8(text[last - 1]) <= 32)
        --last;
    return text.sliced(first, last - first);
}

QString ascii_upper(const QString& text) {
    QString upper = text;
    for (QChar& c : upper)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return upper;
}

bool is_latin1(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

} // namespace

QByteArray level2_parse(QByteArray body) {
    char* const start = body.data(); // detaches: the body is cleaned in its own bytes
    char* const end = TagStripper(start).run(body.size());
    const QByteArrayView kept = trimmed_of_controls(QByteArrayView(start, end - start));
    if (kept.data() != start)
        std::memmove(start, kept.data(), size_t(kept.size()));
    body.truncate(kept.size());
    return body;
}

QByteArray parse_text(QByteArrayView body) {
    const size_t link = find_text(view(body), "http://");
    const QByteArrayView shown =
        link == std::string_view::npos ? body : body.first(qsizetype(link));
    // Room for the worst case (every byte a line feed) and for the blocks written whole; only
    // the pages written are touched.
    const char* const s = shown.data();
    const qsizetype n = shown.size();
    QByteArray out(2 * n + 32, Qt::Uninitialized);
    char* to = out.data();
    qsizetype i = 0;
    // Each block is copied whole; at each line feed a carriage return goes in and the rest of
    // the block is copied again one further on.
    for (; i + 32 <= n; i += 16) {
        const Bytes16 block = Bytes16::load(s + i);
        block.store(to);
        for (unsigned feeds = block.where('\n'); feeds != 0; feeds &= feeds - 1) {
            const int k = first_bit(feeds);
            to[k] = '\r';
            Bytes16::load(s + i + k).store(to + k + 1);
            ++to;
        }
        to += 16;
    }
    for (; i < n; ++i) {
        if (s[i] == '\n')
            *to++ = '\r';
        *to++ = s[i];
    }
    out.truncate(to - out.constData());
    return out;
}

QByteArray parse_warning_html(QByteArrayView body, const QString& state_code) {
    const QByteArray end_of_file = "--- End of File --";
    if (find_text(view(body), "not currently available") != std::string_view::npos)
        return " Sorry, this " + state_code.toLatin1() +
               " information is not currently available." + end_of_file;
    return body.toByteArray() + "\r\n" + end_of_file;
}

CountyCut county_parse(CastKind kind, QByteArrayView text, const QString& county_entry,
                       const QString& state_code) {
    CountyCut cut;
    if (state_code.isEmpty()) {
        cut.refused = true;
        cut.message = QStringLiteral(
            "Sorry, State code not found.  Please reselect the location under GetStats.");
        return cut;
    }
    const QString county = ascii_upper(county_entry);
    cut.status_texts << QStringLiteral("parsing data...");
    QByteArrayView section = text;
    bool found = false;
    const bool named = county.size() >= 2;
    if (named) {
        cut.status_texts << QStringLiteral("parsing - looking for ") + county +
                                QStringLiteral(" county...");
        const QByteArray name = county.toLatin1();
        const size_t match =
            is_latin1(county) ? find_text(view(text), view(name)) : std::string_view::npos;
        if (match != std::string_view::npos) {
            found = true;
            cut.status_texts << QStringLiteral("parsing - found ") + county +
                                    QStringLiteral(" county...");
            section = text.sliced(match > 0 ? qsizetype(match) - 1 : 0);
            const size_t close = find_text(view(section), "$$");
            if (close != std::string_view::npos)
                section = section.first(qsizetype(close));
        }
    }
    cut.text = section.toByteArray();
    cut.status_texts << QStringLiteral("parsing complete...");

    const QString what = kind == CastKind::Nowcast ? QStringLiteral("Nimbrix - Text Nowcast for ")
                                                   : QStringLiteral("Nimbrix - Text Forecast for ");
    if (found) {
        cut.caption = what + county + QStringLiteral(" county, ") + state_code;
    } else {
        cut.caption = what + state_code;
        if (named)
            cut.message = QStringLiteral("Sorry, ") + county +
                          QStringLiteral(" county was not found.  Displaying state zone info...");
    }
    return cut;
}

const QStringList& census_state_list() {
    static const QStringList list = {
        QStringLiteral("None"),
        QStringLiteral("01-Alabama"),
        QStringLiteral("02-Alaska"),
        QStringLiteral("04-Arizona"),
        QStringLiteral("05-Arkansas"),
        QStringLiteral("06-California"),
        QStringLiteral("08-Colorado"),
        QStringLiteral("09-Connecticut"),
        QStringLiteral("10-Delaware"),
        QStringLiteral("11-District of Columbia"),
        QStringLiteral("12-Florida"),
        QStringLiteral("13-Georgia"),
        QStringLiteral("15-Hawaii"),
        QStringLiteral("16-Idaho"),
        QStringLiteral("17-Illinois"),
        QStringLiteral("18-Indiana"),
        QStringLiteral("19-Iowa"),
        QStringLiteral("20-Kansas"),
        QStringLiteral("21-Kentucky"),
        QStringLiteral("22-Lousiana"),
        QStringLiteral("23-Maine"),
        QStringLiteral("24-Maryland"),
        QStringLiteral("25-Massachusetts"),
        QStringLiteral("26-Michigan"),
        QStringLiteral("27-Minnesota"),
        QStringLiteral("28-Mississippi"),
        QStringLiteral("29-Missouri"),
        QStringLiteral("30-Montana"),
        QStringLiteral("31-Nebraska"),
        QStringLiteral("32-Nevada"),
        QStringLiteral("33-New Hampshire"),
        QStringLiteral("34-New Jersey"),
        QStringLiteral("35-New Mexico"),
        QStringLiteral("36-New York"),
        QStringLiteral("37-North Carolina"),
        QStringLiteral("38-North Dakota"),
        QStringLiteral("39-Ohio"),
        QStringLiteral("40-Oklahoma"),
        QStringLiteral("41-Oregon"),
        QStringLiteral("42-Pennsylvania"),
        QStringLiteral("44-Rhode Island"),
        QStringLiteral("45-South Carolina"),
        QStringLiteral("46-South Dakota"),
        QStringLiteral("47-Tennessee"),
        QStringLiteral("48-Texas"),
        QStringLiteral("49-Utah"),
        QStringLiteral("50-Vermont"),
        QStringLiteral("51-Virginia"),
        QStringLiteral("53-Washington"),
        QStringLiteral("54-West Virginia"),
        QStringLiteral("55-Wisconsin"),
        QStringLiteral("56-Wyoming"),
    };
    return list;
}

QString census_selection(const QString& list_text) {
    return list_text.left(2) + QLatin1Char(',') + list_text.mid(3);
}
