#include "fft_tables.h"

#include <cmath>

namespace vorlen::fft {

int32_t indexTableSize(int32_t nw) noexcept {
    if (nw <= 8) {
        return 2;
    }
    int32_t m = 2;
    for (int32_t l = nw; l > 32; l /= 4) {
        m *= 2;
    }
    return 2 * m;
}

void makeBitReversalTable(int32_t nw, int32_t* ip) noexcept {
    ip[2] = 0;
    ip[3] = 16;
    int32_t m = 2;
    for (int32_t l = nw; l > 32; l /= 4) {
        // Level 2m follows from level m: prefixing a bit to k appends it,
        // reversed, as the new lowest bit of the offset.
        for (int32_t j = m; j < 2 * m; ++j) {
            const int32_t p = 4 * ip[j];
            ip[m + j] = p;
            ip[2 * m + j] = p + 16 * m;
        }
        m *= 2;
    }
}

void makeTwiddleTable(int32_t nw, int32_t* ip, double* w) noexcept {
    ip[0] = nw;
    ip[1] = 1;
    if (nw <= 2) {
        return;
    }
    int32_t nwh = nw / 2;
    const double d = std::atan(1.0) / nwh;
    w[0] = 1.0;
    w[1] = std::cos(d * nwh);
    if (nwh == 4) {
        w[2] = std::cos(2 * d);
        w[3] = std::sin(2 * d);
    } else if (nwh > 4) {
        makeBitReversalTable(nw, ip);
        w[2] = 0.5 / std::cos(2 * d);
        w[3] = 0.5 / std::cos(6 * d);
        for (int32_t j = 4; j < nwh; j += 4) {
            w[j] = std::cos(j * d);
            w[j + 1] = std::sin(j * d);
            w[j + 2] = std::cos(3 * j * d);
            w[j + 3] = -std::sin(3 * j * d);
        }
    }
    // Each shorter segment needs every second angle of the one before it, so
    // it is copied rather than evaluated again.
    int32_t p = 0;
    while (nwh > 2) {
        const int32_t q = p + nwh;
        nwh /= 2;
        w[q] = 1.0;
        w[q + 1] = w[1];
        if (nwh == 4) {
            w[q + 2] = w[p + 4];
            w[q + 3] = w[p + 5];
        } else if (nwh > 4) {
            w[q + 2] = 0.5 / w[p + 4];
            w[q + 3] = 0.5 / w[p + 6];
            for (int32_t j = 4; j < nwh; j += 4) {
                w[q + j] = w[p + 2 * j];
                w[q + j + 1] = w[p + 2 * j + 1];
                w[q + j + 2] = w[p + 2 * j + 2];
                w[q + j + 3] = w[p + 2 * j + 3];
            }
        }
        p = q;
    }
}

void makeCosineTable(int32_t nc, int32_t* ip, double* c) noexcept {
    ip[1] = nc;
    if (nc <= 1) {
        return;
    }
    const int32_t h = nc / 2;
    const double d = std::atan(1.0) / h;
    c[0] = std::cos(d * h);
    c[h] = 0.5 * c[0];
    for (int32_t j = 1; j < h; ++j) {
        c[j] = 0.5 * std::cos(j * d);
        c[nc - j] = 0.5 * std::sin(j * d);
    }
}

} // namespace vorlen::fft
