#include "MaskChoice.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace qrcl {

namespace {

constexpr int kMasks = 8;
constexpr int kMaxWidth = 177;
constexpr int kWords = 3; // 177 modules to a row at most
using Row = std::array<std::uint64_t, kWords>;

// Where mask number mask flips a module (libqrencode's expressions, the module flipped where
// the expression is 0).
constexpr bool flips(int mask, int x, int y) {
    switch (mask) {
    case 0: return ((x + y) & 1) == 0;
    case 1: return (y & 1) == 0;
    case 2: return x % 3 == 0;
    case 3: return (x + y) % 3 == 0;
    case 4: return (((y / 2) + (x / 3)) & 1) == 0;
    case 5: return (((x * y) & 1) + (x * y) % 3) == 0;
    case 6: return ((((x * y) & 1) + (x * y) % 3) & 1) == 0;
    default: return ((((x * y) % 3) + ((x + y) & 1)) & 1) == 0;
    }
}

void set(Row& row, int i, bool on) {
    const std::uint64_t one = std::uint64_t{1} << (i & 63);
    auto& word = row[static_cast<std::size_t>(i >> 6)];
    word = on ? word | one : word & ~one;
}

// Every pattern repeats every 12 rows and every 6 columns: rows of flips by row number modulo
// 12, and columns (bits running down) by column number modulo 6.
struct Patterns {
    Row rows[kMasks][12]{};
    Row columns[kMasks][6]{};
    Patterns() {
        for (int mask = 0; mask < kMasks; ++mask)
            for (int i = 0; i < kWords * 64; ++i) {
                for (int y = 0; y < 12; ++y)
                    set(rows[mask][y], i, flips(mask, i, y));
                for (int x = 0; x < 6; ++x)
                    set(columns[mask][x], i, flips(mask, x, i));
            }
    }
};

// The format information's 15 bits (ISO 18004 table C.1, libqrencode's own table), by level
// (L, M, Q, H as QRecLevel numbers them) and mask.
constexpr unsigned kFormat[4][kMasks] = {
    {0x77c4, 0x72f3, 0x7daa, 0x789d, 0x662f, 0x6318, 0x6c41, 0x6976},
    {0x5412, 0x5125, 0x5e7c, 0x5b4b, 0x45f9, 0x40ce, 0x4f97, 0x4aa0},
    {0x355f, 0x3068, 0x3f31, 0x3a06, 0x24b4, 0x2183, 0x2eda, 0x2bed},
    {0x1689, 0x13be, 0x1ce7, 0x19d0, 0x0762, 0x0255, 0x0d0c, 0x083b}};

// The two modules that carry each format bit, lowest bit first, as (x, y).
struct Cell {
    int x, y;
};
std::array<std::array<Cell, 2>, 15> formatCells(int width) {
    std::array<std::array<Cell, 2>, 15> cells{};
    for (int i = 0; i < 8; ++i)
        cells[static_cast<std::size_t>(i)] = {{{width - 1 - i, 8}, {8, i < 6 ? i : i + 1}}};
    for (int i = 0; i < 7; ++i)
        cells[static_cast<std::size_t>(8 + i)] = {{{8, width - 7 + i}, {i == 0 ? 7 : 6 - i, 8}}};
    return cells;
}

// v shifted towards lower module numbers by one (bit x of the result is module x + 1), and
// towards higher ones (bit x is module x - 1).
Row down(const Row& v) {
    return {(v[0] >> 1) | (v[1] << 63), (v[1] >> 1) | (v[2] << 63), v[2] >> 1};
}
Row up(const Row& v) {
    return {v[0] << 1, (v[1] << 1) | (v[0] >> 63), (v[2] << 1) | (v[1] >> 63)};
}
Row firstBits(int count) {
    Row row{};
    for (int i = 0; i < count; ++i)
        set(row, i, true);
    return row;
}

// libqrencode's N1 (runs of five or more) and N3 (1:1:3:1:1 dark-light runs with four light
// modules on a side) on one row or column. Its runs are counted with its convention: a first run
// of dark modules comes after a run of length -1, so dark runs always have odd numbers.
int lineDemerit(const Row& line, int width, const Row& inside, int* runs) {
    int length = 0;
    if (line[0] & 1)
        runs[length++] = -1;
    const Row before = up(line);
    int start = 0;
    for (int w = 0; w < kWords; ++w) {
        // Modules 1 to width - 1 that differ from the one before.
        std::uint64_t changes = (line[static_cast<std::size_t>(w)] ^ before[static_cast<std::size_t>(w)]) &
                                inside[static_cast<std::size_t>(w)];
        if (w == 0)
            changes &= ~std::uint64_t{1};
        while (changes) {
            const int at = w * 64 + std::countr_zero(changes);
            runs[length++] = at - start;
            start = at;
            changes &= changes - 1;
        }
    }
    runs[length++] = width - start;

    int demerit = 0;
    for (int i = 0; i < length; ++i)
        if (runs[i] >= 5)
            demerit += 3 + (runs[i] - 5);
    for (int i = 3; i < length - 2; i += 2) {
        if (runs[i] % 3 != 0)
            continue;
        const int fact = runs[i] / 3;
        if (runs[i - 2] == fact && runs[i - 1] == fact && runs[i + 1] == fact && runs[i + 2] == fact &&
            (i == 3 || runs[i - 3] >= 4 * fact || i + 4 >= length || runs[i + 3] >= 4 * fact))
            demerit += 40;
    }
    return demerit;
}

} // namespace

void applyBestMask(QRcode& symbol, QRecLevel level) {
    static const Patterns patterns;
    const int width = symbol.width;
    if (width <= 0 || width > kMaxWidth)
        return;
    // The symbol with mask 0 taken off, as rows and as columns, and where masks apply.
    std::array<Row, kMaxWidth> rows, columns, rowData, columnData;
    std::fill_n(columns.begin(), width, Row{});
    std::fill_n(columnData.begin(), width, Row{});
    const unsigned char* module = symbol.data;
    for (int y = 0; y < width; ++y) {
        Row& row = rows[static_cast<std::size_t>(y)];
        Row& data = rowData[static_cast<std::size_t>(y)];
        row = data = Row{};
        const std::size_t down = static_cast<std::size_t>(y >> 6);
        const int downBit = y & 63;
        for (int x = 0; x < width; ++x, ++module) {
            const std::uint64_t isData = (*module & 0x80) ? 0 : 1;
            const std::uint64_t dark = (*module & 1u) ^ (isData & static_cast<std::uint64_t>(((x + y) & 1) == 0));
            const std::size_t across = static_cast<std::size_t>(x >> 6);
            row[across] |= dark << (x & 63);
            data[across] |= isData << (x & 63);
            columns[static_cast<std::size_t>(x)][down] |= dark << downBit;
            columnData[static_cast<std::size_t>(x)][down] |= isData << downBit;
        }
    }
    const auto cells = formatCells(width);
    const Row inside = firstBits(width);
    const Row pairs = firstBits(width - 1); // the left module of each 2 x 2 block
    const int area = width * width;

    int best = 0;
    int fewest = std::numeric_limits<int>::max();
    std::array<Row, kMaxWidth> masked, maskedColumns;
    int runs[kMaxWidth + 1];
    for (int mask = 0; mask < kMasks; ++mask) {
        for (int i = 0; i < width; ++i) {
            const auto at = static_cast<std::size_t>(i);
            for (std::size_t w = 0; w < kWords; ++w) {
                masked[at][w] = rows[at][w] ^ (patterns.rows[mask][i % 12][w] & rowData[at][w]);
                maskedColumns[at][w] = columns[at][w] ^ (patterns.columns[mask][i % 6][w] & columnData[at][w]);
            }
        }
        const unsigned format = kFormat[level][mask];
        for (int i = 0; i < 15; ++i)
            for (const Cell& cell : cells[static_cast<std::size_t>(i)]) {
                set(masked[static_cast<std::size_t>(cell.y)], cell.x, (format >> i) & 1u);
                set(maskedColumns[static_cast<std::size_t>(cell.x)], cell.y, (format >> i) & 1u);
            }

        int blacks = 0;
        int demerit = 0;
        for (int y = 0; y < width; ++y) {
            const Row& row = masked[static_cast<std::size_t>(y)];
            for (const std::uint64_t word : row)
                blacks += std::popcount(word);
            if (y > 0) { // N2: 2 x 2 blocks of one colour
                const Row& above = masked[static_cast<std::size_t>(y - 1)];
                const Row nextAbove = down(above), next = down(row);
                for (std::size_t w = 0; w < kWords; ++w)
                    demerit += 3 * std::popcount(~(above[w] ^ row[w]) & ~(above[w] ^ nextAbove[w]) &
                                                 ~(row[w] ^ next[w]) & pairs[w]);
            }
            demerit += lineDemerit(row, width, inside, runs);
            demerit += lineDemerit(maskedColumns[static_cast<std::size_t>(y)], width, inside, runs);
        }
        const int ratio = (200 * blacks + area) / area / 2;
        demerit += std::abs(ratio - 50) / 5 * 10; // N4
        if (demerit < fewest) {
            fewest = demerit;
            best = mask;
        }
    }

    // The chosen mask in place of mask 0, and its format information.
    unsigned char* out = symbol.data;
    for (int y = 0; y < width; ++y)
        for (int x = 0; x < width; ++x, ++out)
            if (!(*out & 0x80) && flips(0, x, y) != flips(best, x, y))
                *out ^= 1;
    const unsigned format = kFormat[level][best];
    for (int i = 0; i < 15; ++i)
        for (const Cell& cell : cells[static_cast<std::size_t>(i)])
            symbol.data[cell.y * width + cell.x] = static_cast<unsigned char>(0x84 | ((format >> i) & 1u));
}

} // namespace qrcl
