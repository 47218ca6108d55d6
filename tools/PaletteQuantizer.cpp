#include "PaletteQuantizer.h"

#include <algorithm>
#include <map>

namespace {

using Colour = std::array<std::uint8_t, 3>;

struct Weighted {
    Colour colour;
    std::uint64_t count = 0;
};

// Green counts most and blue least, roughly as the eye weighs them.
constexpr std::array<std::int64_t, 3> ChannelWeight{3, 4, 2};
constexpr int RefineRounds = 6;

std::int64_t Distance(const Colour& a, const Colour& b) {
    std::int64_t sum = 0;
    for (std::size_t c = 0; c < 3; ++c) {
        const std::int64_t d = static_cast<std::int64_t>(a[c]) - static_cast<std::int64_t>(b[c]);
        sum += ChannelWeight[c] * d * d;
    }
    return sum;
}

// A box of the median cut: a run [begin, end) of the colour table.
struct Box {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The channel along which the box spreads most (weighted variance), and that spread.
std::pair<std::size_t, double> Widest(const std::vector<Weighted>& colours, const Box& box) {
    std::pair<std::size_t, double> best{0, -1.0};
    for (std::size_t c = 0; c < 3; ++c) {
        double n = 0.0;
        double sum = 0.0;
        double sum2 = 0.0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            const double w = static_cast<double>(colours[i].count);
            const double v = colours[i].colour[c];
            n += w;
            sum += w * v;
            sum2 += w * v * v;
        }
        const double spread = (sum2 - sum * sum / n) * static_cast<double>(ChannelWeight[c]);
        if (spread > best.second) {
            best = {c, spread};
        }
    }
    return best;
}

Colour Mean(const std::vector<Weighted>& colours, std::size_t begin, std::size_t end) {
    std::array<std::uint64_t, 3> sum{0, 0, 0};
    std::uint64_t n = 0;
    for (std::size_t i = begin; i < end; ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            sum[c] += colours[i].colour[c] * colours[i].count;
        }
        n += colours[i].count;
    }
    Colour mean{};
    for (std::size_t c = 0; c < 3; ++c) {
        mean[c] = static_cast<std::uint8_t>((sum[c] + n / 2) / n);
    }
    return mean;
}

std::vector<Colour> MedianCut(std::vector<Weighted>& colours) {
    std::vector<Box> boxes{{0, colours.size()}};
    while (boxes.size() < PaletteQuantizer::MaxColours) {
        // Split the box that spreads most; boxes of one colour cannot be split.
        std::size_t pick = boxes.size();
        std::pair<std::size_t, double> pickAxis{0, 0.0};
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2) {
                continue;
            }
            const auto axis = Widest(colours, boxes[b]);
            if (axis.second > pickAxis.second) {
                pick = b;
                pickAxis = axis;
            }
        }
        if (pick == boxes.size()) {
            break;
        }
        const Box box = boxes[pick];
        const std::size_t c = pickAxis.first;
        std::sort(colours.begin() + static_cast<std::ptrdiff_t>(box.begin),
                  colours.begin() + static_cast<std::ptrdiff_t>(box.end), [c](const Weighted& a, const Weighted& b) {
                      return a.colour[c] != b.colour[c] ? a.colour[c] < b.colour[c] : a.colour < b.colour;
                  });
        std::uint64_t total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            total += colours[i].count;
        }
        std::uint64_t running = 0;
        std::size_t cut = box.begin + 1;
        for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
            running += colours[i].count;
            cut = i + 1;
            if (running * 2 >= total) {
                break;
            }
        }
        boxes[pick] = {box.begin, cut};
        boxes.push_back({cut, box.end});
    }
    std::vector<Colour> palette;
    for (const Box& box : boxes) {
        palette.push_back(Mean(colours, box.begin, box.end));
    }
    return palette;
}

std::size_t Nearest(const std::vector<Colour>& palette, const Colour& colour) {
    std::size_t best = 0;
    std::int64_t bestDistance = Distance(palette[0], colour);
    for (std::size_t i = 1; i < palette.size() && bestDistance != 0; ++i) {
        const std::int64_t d = Distance(palette[i], colour);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// Moves each palette colour to the mean of the colours nearest to it.
void Refine(std::vector<Colour>& palette, const std::vector<Weighted>& colours) {
    for (int round = 0; round < RefineRounds; ++round) {
        std::vector<std::array<std::uint64_t, 4>> sums(palette.size(), {0, 0, 0, 0});
        for (const Weighted& w : colours) {
            auto& s = sums[Nearest(palette, w.colour)];
            for (std::size_t c = 0; c < 3; ++c) {
                s[c] += w.colour[c] * w.count;
            }
            s[3] += w.count;
        }
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const std::uint64_t n = sums[i][3];
            if (n != 0) {
                for (std::size_t c = 0; c < 3; ++c) {
                    palette[i][c] = static_cast<std::uint8_t>((sums[i][c] + n / 2) / n);
                }
            }
        }
    }
}

} // namespace

IndexedImage PaletteQuantizer::Quantize(const Bitmap32& picture) {
    std::map<Colour, std::uint64_t> counts;
    for (const auto& px : picture.rgba) {
        ++counts[Colour{px[0], px[1], px[2]}];
    }
    std::vector<Weighted> colours;
    colours.reserve(counts.size());
    for (const auto& [colour, count] : counts) {
        colours.push_back({colour, count});
    }

    std::vector<Colour> palette;
    if (colours.size() <= MaxColours) {
        for (const Weighted& w : colours) {
            palette.push_back(w.colour);
        }
    } else {
        palette = MedianCut(colours);
        Refine(palette, colours);
        // Sorted by brightness, so that the palette reads naturally in a viewer.
        std::stable_sort(palette.begin(), palette.end(), [](const Colour& a, const Colour& b) {
            const int la = 3 * a[0] + 4 * a[1] + 2 * a[2];
            const int lb = 3 * b[0] + 4 * b[1] + 2 * b[2];
            return la != lb ? la < lb : a < b;
        });
    }

    IndexedImage out;
    out.width = picture.width;
    out.height = picture.height;
    out.palette = palette;
    out.indices.reserve(picture.rgba.size());
    std::map<Colour, std::uint8_t> lookup;
    for (const auto& [colour, count] : counts) {
        lookup[colour] = static_cast<std::uint8_t>(Nearest(palette, colour));
    }
    for (const auto& px : picture.rgba) {
        out.indices.push_back(lookup[Colour{px[0], px[1], px[2]}]);
    }
    return out;
}
