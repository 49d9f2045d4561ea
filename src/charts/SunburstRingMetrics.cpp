#include "charts/SunburstRingMetrics.h"

#include <algorithm>
#include <cmath>

namespace plenwick {

SunburstRingMetrics::SunburstRingMetrics(int ringCount, double centre, double decay) : centreRadius(centre) {
    const int n = std::max(ringCount, 1);
    std::vector<double> weights(static_cast<std::size_t>(n));
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        weights[static_cast<std::size_t>(i)] = std::max(1.0 - i * decay, 0.3);
        sum += weights[static_cast<std::size_t>(i)];
    }
    edges.reserve(weights.size() + 1);
    edges.push_back(centre);
    for (double w : weights) edges.push_back(edges.back() + w * (1.0 - centre) / sum);
    edges.back() = 1.0;
}

const SunburstRingMetrics& SunburstRingMetrics::standard() {
    static const SunburstRingMetrics metrics(6, 0.27, 0.07);
    return metrics;
}

double SunburstRingMetrics::ringRadius(double r) const noexcept {
    const auto m = static_cast<double>(edges.size());
    if (r <= 0) return centreRadius * std::max(r + 1.0, 0.0);
    if (r < m - 1) {
        const double i = std::floor(r);
        const auto k = static_cast<std::size_t>(i);
        return edges[k] + (r - i) * (edges[k + 1] - edges[k]);
    }
    const std::size_t last = edges.size() - 1;
    return edges[last] + (r - (m - 1)) * (edges[last] - edges[last - 1]);
}

} // namespace plenwick
