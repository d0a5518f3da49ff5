#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace talvero::medicao {

// The middle of the timings (the mean of the two middle ones for an even count); 0 for none.
inline double mediana(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The nearest-rank percentile: the smallest timing that `fracao` of them do not exceed.
inline double percentil(std::vector<double> v, double fracao) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto posicao = std::size_t(std::ceil(fracao * double(v.size())));
    return v[std::clamp<std::size_t>(posicao, 1, v.size()) - 1];
}

} // namespace talvero::medicao
