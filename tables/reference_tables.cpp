#include "tables/reference_tables.h"

#include "numbers/number_reader.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace tomokari {

namespace {

constexpr int kCriticalValueCount = kMaxDegreesOfFreedom * kLevelCount;
constexpr int kPowerSampleCount = kMaxDegreesOfFreedom * kOmegaStepCount;

// Long enough to recognise a mistyped number, short enough for a dialog line.
constexpr std::size_t kMaxDetailBytes = 40;

bool isSeparator(int c) {
    return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Hands out one whitespace/comma-delimited token at a time, from text given whole or from a
// file read in blocks, so that nothing past the last token asked for is ever read.
class TokenReader {
public:
    explicit TokenReader(std::string_view text) : bytes_(text.data()), length_(text.size()) { skipByteOrderMark(); }

    explicit TokenReader(std::FILE* file) : file_(file), bytes_(buffer_) {
        while (length_ < 3 && fill()) {
        }
        skipByteOrderMark();
    }

    // bytes_ may point into the object itself.
    TokenReader(const TokenReader&) = delete;
    TokenReader& operator=(const TokenReader&) = delete;

    // False at the end of the input or on a read error (see failed()).
    bool next(std::string& token) {
        token.clear();
        int c = get();
        while (c != EOF && isSeparator(c)) c = get();
        while (c != EOF && !isSeparator(c)) {
            token.push_back(static_cast<char>(c));
            c = get();
        }
        return !token.empty();
    }

    bool failed() const { return failed_; }

private:
    // Editors on some systems put a byte order mark in front of UTF-8 text.
    void skipByteOrderMark() {
        if (std::string_view(bytes_, length_).starts_with("\xEF\xBB\xBF")) position_ = 3;
    }

    // Appends to the buffer rather than replacing it, so the start-up look for the
    // byte order mark can gather three bytes across short reads.
    bool fill() {
        if (!file_) return false;  // text given whole has nothing more
        if (position_ == length_) position_ = length_ = 0;
        if (length_ == sizeof buffer_) return true;
        const std::size_t got = std::fread(buffer_ + length_, 1, sizeof buffer_ - length_, file_);
        if (got == 0 && std::ferror(file_)) failed_ = true;
        length_ += got;
        return got > 0;
    }

    int get() {
        if (position_ == length_ && !fill()) return EOF;
        return static_cast<unsigned char>(bytes_[position_++]);
    }

    std::FILE* file_ = nullptr;
    const char* bytes_;  // buffer_, or the text given whole
    std::size_t length_ = 0;
    std::size_t position_ = 0;
    bool failed_ = false;
    char buffer_[4096];
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Cuts at a character boundary so the message stays valid UTF-8 after truncation.
std::string shortenedToken(const std::string& token) {
    if (token.size() <= kMaxDetailBytes) return token;
    std::size_t cut = kMaxDetailBytes;
    for (int back = 0; back < 3 && cut > 0 &&
                       (static_cast<unsigned char>(token[cut]) & 0xC0) == 0x80;
         ++back) {
        --cut;
    }
    return token.substr(0, cut) + "…";
}

std::filesystem::path absoluteOrAsGiven(const std::filesystem::path& directory) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(directory, ec);
    return ec ? directory : absolute;
}

// Why one file's numbers cannot be had.
struct Refusal {
    TableFailure failure;
    std::string detail = {};
};

// Fills `out` with the first `count` numbers the reader gives, or says why it cannot.
std::optional<Refusal> readNumbers(TokenReader& reader, float* out, int count) {
    std::string token;
    int found = 0;
    while (found < count && reader.next(token)) {
        // A read error can cut a token short; do not blame its content.
        if (reader.failed()) return Refusal{TableFailure::Unreadable};
        const std::optional<float> value = readNumber<float>(token, kTableSyntax);
        if (!value) return Refusal{TableFailure::NotANumber, shortenedToken(token)};
        if (!std::isfinite(*value)) return Refusal{TableFailure::OutOfRange, shortenedToken(token)};
        out[found++] = *value;
    }
    if (reader.failed()) return Refusal{TableFailure::Unreadable};
    if (found < count) return Refusal{TableFailure::TooFewNumbers, std::to_string(found)};
    return std::nullopt;
}

std::optional<Refusal> readFileNumbers(const std::filesystem::path& path, float* out, int count) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return Refusal{TableFailure::Missing};
    // A directory opens fine on some systems and only fails on the first read.
    if (ec || std::filesystem::is_directory(status)) return Refusal{TableFailure::Unreadable};

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return Refusal{errno == ENOENT ? TableFailure::Missing : TableFailure::Unreadable};
    TokenReader reader(file.get());
    return readNumbers(reader, out, count);
}

// Paths and tokens come from outside and may hold bytes that are not UTF-8, or control
// characters; either would garble the start-up dialog, so they become U+FFFD.
std::string displayable(std::string_view text) {
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead < 0x20 || lead == 0x7F) result += kReplacement;
            else result += static_cast<char>(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
        }
        // A broken sequence becomes one replacement, however many of its bytes were there.
        bool valid = length > 0;
        std::size_t consumed = 1;
        for (std::size_t k = 1; valid && k < length; ++k) {
            if (i + k >= text.size()) {
                valid = false;
                break;
            }
            const auto byte = static_cast<unsigned char>(text[i + k]);
            valid = k == 1 ? (byte >= low && byte <= high) : (byte & 0xC0) == 0x80;
            if (valid) consumed = k + 1;
        }
        if (valid) {
            result.append(text.substr(i, length));
            i += length;
        } else {
            result += kReplacement;
            i += consumed;
        }
    }
    return result;
}

int expectedCount(const std::string& fileName) {
    if (fileName == kCriticalValueFileName) return kCriticalValueCount;
    if (fileName == kPowerSampleFileName) return kPowerSampleCount;
    return 0;
}

// Reads chi2prob.dat, then power06.dat, through read(fileName, out, count); errors name the
// files as in `directory`.
template <typename Read>
TableLoadResult load(const std::filesystem::path& directory, Read read) {
    TableLoadResult result;
    const auto refused = [&](const char* fileName, float* out, int count) {
        std::optional<Refusal> refusal = read(fileName, out, count);
        if (refusal) result.error = TableLoadError{fileName, directory / fileName, refusal->failure, std::move(refusal->detail)};
        return refusal.has_value();
    };
    float critical[kCriticalValueCount];
    if (refused(kCriticalValueFileName, critical, kCriticalValueCount)) return result;
    float power[kPowerSampleCount];
    if (refused(kPowerSampleFileName, power, kPowerSampleCount)) return result;

    ReferenceTables tables;
    for (int df = 1; df <= kMaxDegreesOfFreedom; ++df) {
        for (int level = 1; level <= kLevelCount; ++level) {
            tables.critical.value[static_cast<std::size_t>(df)][static_cast<std::size_t>(level)] =
                critical[(df - 1) * kLevelCount + (level - 1)];
        }
        for (int step = 1; step <= kOmegaStepCount; ++step) {
            tables.power.value[static_cast<std::size_t>(df)][static_cast<std::size_t>(step)] =
                power[(df - 1) * kOmegaStepCount + (step - 1)];
        }
    }
    result.tables = tables;
    return result;
}

}  // namespace

float CriticalValueTable::at(int df, int level) const {
    if (df < 1 || df > kMaxDegreesOfFreedom || level < 1 || level > kLevelCount) return 0.0f;
    return value[static_cast<std::size_t>(df)][static_cast<std::size_t>(level)];
}

float PowerSampleTable::at(int df, int step) const {
    if (df < 1 || df > kMaxDegreesOfFreedom || step < 1 || step > kOmegaStepCount) return 0.0f;
    return value[static_cast<std::size_t>(df)][static_cast<std::size_t>(step)];
}

std::string TableLoadError::message() const {
    const std::string file = "数表ファイル " + displayable(fileName);
    std::string sentence;
    switch (failure) {
        case TableFailure::Missing:
            sentence = file + " が見つかりません。";
            break;
        case TableFailure::Unreadable:
            sentence = file + " を読み込めません。";
            break;
        case TableFailure::TooFewNumbers: {
            const int needed = expectedCount(fileName);
            const std::string found = displayable(detail);
            if (found.empty() || found == "0") {
                sentence = file + " に数値がありません";
                if (needed > 0) sentence += "（" + std::to_string(needed) + " 個必要です）";
                sentence += "。";
            } else {
                sentence = file + " の数値が足りません（";
                if (needed > 0) sentence += std::to_string(needed) + " 個必要ですが ";
                sentence += found + " 個しかありません）。";
            }
            break;
        }
        case TableFailure::NotANumber:
            sentence = file + " に数値でない値「" + displayable(detail) + "」があります。";
            break;
        case TableFailure::OutOfRange:
            sentence = file + " に扱える範囲（約 3.4E+38）を超える数値「" + displayable(detail) + "」があります。";
            break;
    }
    return sentence + "(" + displayable(path.string()) + ")";
}

TableLoadResult loadReferenceTables(const std::filesystem::path& directory) {
    const std::filesystem::path where = absoluteOrAsGiven(directory);
    return load(where, [&](const char* fileName, float* out, int count) { return readFileNumbers(where / fileName, out, count); });
}

TableLoadResult loadReferenceTables(const std::optional<std::string>& criticalFile,
                                    const std::optional<std::string>& powerFile,
                                    const std::filesystem::path& shownDirectory) {
    return load(shownDirectory, [&](const char* fileName, float* out, int count) -> std::optional<Refusal> {
        const std::optional<std::string>& contents = std::string_view(fileName) == kCriticalValueFileName ? criticalFile : powerFile;
        if (!contents) return Refusal{TableFailure::Missing};
        TokenReader reader(*contents);
        return readNumbers(reader, out, count);
    });
}

}  // namespace tomokari
