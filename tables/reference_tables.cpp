#include "tables/reference_tables.h"

#include "engine/number_reader.h"

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

// Reads the file in blocks and hands out one whitespace/comma-delimited token at a time,
// so that nothing past the last token asked for is ever looked at.
class TokenReader {
public:
    explicit TokenReader(std::FILE* file) : file_(file) {
        // Editors on some systems put a byte order mark in front of UTF-8 text.
        while (length_ < 3 && fill()) {
        }
        if (length_ >= 3 && static_cast<unsigned char>(buffer_[0]) == 0xEF &&
            static_cast<unsigned char>(buffer_[1]) == 0xBB &&
            static_cast<unsigned char>(buffer_[2]) == 0xBF) {
            position_ = 3;
        }
    }

    // False at the end of the file or on a read error (see failed()).
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
    // Appends to the buffer rather than replacing it, so the start-up look for the
    // byte order mark can gather three bytes across short reads.
    bool fill() {
        if (position_ == length_) position_ = length_ = 0;
        if (length_ == sizeof buffer_) return true;
        const std::size_t got = std::fread(buffer_ + length_, 1, sizeof buffer_ - length_, file_);
        if (got == 0 && std::ferror(file_)) failed_ = true;
        length_ += got;
        return got > 0;
    }

    int get() {
        if (position_ == length_ && !fill()) return EOF;
        return static_cast<unsigned char>(buffer_[position_++]);
    }

    std::FILE* file_;
    char buffer_[4096];
    std::size_t position_ = 0;
    std::size_t length_ = 0;
    bool failed_ = false;
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

// Fills `out` with the first `count` numbers of the file, or says why it cannot.
std::optional<TableLoadError> readNumbers(const std::filesystem::path& directory,
                                          const char* fileName, float* out, int count) {
    TableLoadError error;
    error.fileName = fileName;
    error.path = directory / fileName;
    auto fail = [&error](TableFailure failure, std::string detail = {}) {
        error.failure = failure;
        error.detail = std::move(detail);
        return std::optional<TableLoadError>(std::move(error));
    };

    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(error.path, ec);
    if (status.type() == std::filesystem::file_type::not_found) return fail(TableFailure::Missing);
    // A directory opens fine on some systems and only fails on the first read.
    if (ec || std::filesystem::is_directory(status)) return fail(TableFailure::Unreadable);

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(error.path.c_str(), "rb"));
    if (!file) return fail(errno == ENOENT ? TableFailure::Missing : TableFailure::Unreadable);

    TokenReader reader(file.get());
    std::string token;
    int found = 0;
    while (found < count && reader.next(token)) {
        // A read error can cut a token short; do not blame its content.
        if (reader.failed()) return fail(TableFailure::Unreadable);
        const std::optional<float> value = readNumber<float>(token, kTableSyntax);
        if (!value) return fail(TableFailure::NotANumber, shortenedToken(token));
        if (!std::isfinite(*value)) return fail(TableFailure::OutOfRange, shortenedToken(token));
        out[found++] = *value;
    }
    if (reader.failed()) return fail(TableFailure::Unreadable);
    if (found < count) return fail(TableFailure::TooFewNumbers, std::to_string(found));
    return std::nullopt;
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
    TableLoadResult result;

    float critical[kCriticalValueCount];
    if (auto error = readNumbers(where, kCriticalValueFileName, critical, kCriticalValueCount)) {
        result.error = std::move(error);
        return result;
    }
    float power[kPowerSampleCount];
    if (auto error = readNumbers(where, kPowerSampleFileName, power, kPowerSampleCount)) {
        result.error = std::move(error);
        return result;
    }

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

}  // namespace tomokari
