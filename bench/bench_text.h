#pragma once

// Reproducible benchmark text: Zipf-like Chinese (U+4E00..U+9FFF) mixed with
// ASCII words and punctuation, in CR LF lines of about 40 characters.
#include <QString>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

namespace bench {

inline QString makeText(qsizetype length, std::uint64_t seed = 42) {
    constexpr int kCjk = 0x9FFF - 0x4E00 + 1;
    std::vector<char16_t> alphabet;
    for (int i = 0; i < kCjk; ++i)
        alphabet.push_back(char16_t(0x4E00 + (i * 7919) % kCjk)); // scatter the ranks
    const char* ascii = "etaoinshrdlucmfwypvbgkqjxz ,.;:!?0123456789ETAOINSHRDLU";
    for (const char* p = ascii; *p; ++p)
        alphabet.insert(alphabet.begin() + (p - ascii) * 3, char16_t(*p));
    std::vector<double> cdf(alphabet.size());
    double sum = 0;
    for (std::size_t r = 0; r < alphabet.size(); ++r)
        cdf[r] = (sum += 1.0 / std::pow(double(r + 1), 1.05));
    for (double& c : cdf)
        c /= sum;

    QString text(length, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    qsizetype column = 0;
    for (qsizetype i = 0; i < length; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        if (column >= 38 && i + 1 < length && (state & 3) == 0) {
            out[i++] = u'\r';
            out[i] = u'\n';
            column = 0;
            continue;
        }
        const double u = double(state >> 11) * (1.0 / 9007199254740992.0);
        const auto at = std::lower_bound(cdf.begin(), cdf.end(), u) - cdf.begin();
        out[i] = alphabet[std::min<std::size_t>(at, alphabet.size() - 1)];
        ++column;
    }
    return text;
}

template <typename F> double seconds(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace bench
