#pragma once
// The benchmarks' measures: a clock's milliseconds, the median of several
// rounds and the best of several runs.
#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace qdbench {

inline double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

inline double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double Mejor(int veces, F&& f)
{
    double mejor = 1e300;
    for (int i = 0; i < veces; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        mejor = std::min(mejor, Ms(t));
    }
    return mejor;
}

} // namespace qdbench
