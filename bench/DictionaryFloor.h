#pragma once
// The floor of each dictionary look-up: the same look-up as plain binary
// searches over sorted std::vectors of keys, built once from the same Dic
// files, with the answer copied out as the search hands it back (cities
// with their counts, and the towns of the first city). What a look-up costs
// beyond this is the price of its shape (the library calls, their records
// in code page 932 and their decoding).
#include "lookup/AddressDictionary.h"
#include "lookup/DictionarySearch.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kanata::bench {

class DictionaryFloor {
public:
    explicit DictionaryFloor(const std::filesystem::path& dic) {
        for (auto& f : lines(dic / "city.txt"))
            if (f.size() >= 3) {
                cityJis_.push_back(f[0]);
                cities_.push_back({f[2], f[0], f[1], f[2], 0, 0});
            }
        for (auto& f : lines(dic / "postal.txt")) {
            f.resize(std::max<std::size_t>(f.size(), 8));
            const bool office = !f[6].empty();
            postalKeys_.push_back(f[0]);
            postal_.push_back({f[0], f[1], "", f[2], f[3], TownBaseName(f[4]), f[5], f[6], f[7]});
            if (!office)
                townJis_.push_back(f[1]);
        }
        std::sort(townJis_.begin(), townJis_.end());
        for (auto& f : lines(dic / "area.txt")) {
            f.resize(std::max<std::size_t>(f.size(), 3));
            areaKeys_.push_back(f[0]);
            std::vector<std::string> jis;
            for (std::size_t at = 0; at < f[2].size();) {
                const auto comma = std::min(f[2].find(',', at), f[2].size());
                jis.push_back(f[2].substr(at, comma - at));
                at = comma + 1;
            }
            areaJis_.push_back(std::move(jis));
        }
    }

    // The cities of a number's exchange area (longest prefix) with their
    // town counts.
    std::vector<DicCity> ExchangeArea(const std::string& digits) const {
        for (std::size_t len = std::min<std::size_t>(digits.size(), 8); len >= 2; --len) {
            const auto it = std::lower_bound(areaKeys_.begin(), areaKeys_.end(),
                                             std::string_view(digits).substr(0, len));
            if (it == areaKeys_.end() || *it != std::string_view(digits).substr(0, len))
                continue;
            std::vector<DicCity> out;
            for (const std::string& jis :
                 areaJis_[static_cast<std::size_t>(it - areaKeys_.begin())]) {
                const auto m = std::lower_bound(cityJis_.begin(), cityJis_.end(), jis);
                if (m == cityJis_.end() || *m != jis)
                    continue;
                const auto towns = std::equal_range(townJis_.begin(), townJis_.end(), jis);
                out.push_back(cities_[static_cast<std::size_t>(m - cityJis_.begin())]);
                out.back().townCount = static_cast<int>(towns.second - towns.first);
            }
            return out;
        }
        return {};
    }

    // The cities of a postal code or prefix with their counts, and the towns
    // of the first.
    struct PostalAnswer {
        std::vector<DicCity> cities;
        std::vector<DicTown> towns;
    };
    PostalAnswer Postal(const std::string& digits) const {
        const auto first = std::lower_bound(postalKeys_.begin(), postalKeys_.end(), digits);
        const auto last = std::upper_bound(first, postalKeys_.end(), digits,
                                           [](const std::string& key, const std::string& code) {
                                               return key < code.substr(0, key.size());
                                           });
        PostalAnswer a;
        for (auto it = first; it != last; ++it) {
            const DicTown& row = postal_[static_cast<std::size_t>(it - postalKeys_.begin())];
            if (a.cities.empty() || a.cities.back().city != row.city ||
                a.cities.back().prefecture != row.prefecture)
                a.cities.push_back({row.city, row.jis, row.prefecture, row.city, 0, 0});
            ++(row.isOffice() ? a.cities.back().officeCount : a.cities.back().townCount);
            if (a.cities.size() == 1 && !row.isOffice())
                a.towns.push_back(row);
        }
        return a;
    }

private:
    static std::vector<std::vector<std::string>> lines(const std::filesystem::path& file) {
        std::ifstream in(file);
        if (!in)
            throw std::runtime_error(file.string() + " cannot be read");
        std::vector<std::vector<std::string>> out;
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> fields;
            for (std::size_t at = 0; at <= line.size();) {
                const auto tab = std::min(line.find('\t', at), line.size());
                fields.push_back(line.substr(at, tab - at));
                at = tab + 1;
            }
            out.push_back(std::move(fields));
        }
        return out;
    }

    std::vector<std::string> cityJis_; // sorted, parallel to cities_
    std::vector<DicCity> cities_;
    std::vector<std::string> postalKeys_; // sorted, parallel to postal_
    std::vector<DicTown> postal_;
    std::vector<std::string> townJis_;  // JIS codes of the town rows, sorted
    std::vector<std::string> areaKeys_; // sorted, parallel to areaJis_
    std::vector<std::vector<std::string>> areaJis_;
};

// The CPU time of this thread: the machine may be shared, and the wall time
// of a loaded machine says more about the others than about the lookup.
inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// CPU seconds per call of `work` on the inputs in turn, the best of
// `rounds` rounds of `calls` calls.
template <class Inputs, class Work>
double BestSecondsPerCall(const Inputs& inputs, Work work, int rounds = 5, int calls = 2000) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        const double start = ThreadSeconds();
        for (int i = 0; i < calls; ++i)
            work(inputs[static_cast<std::size_t>(i) % inputs.size()]);
        best = std::min(best, (ThreadSeconds() - start) / calls);
    }
    return best;
}

} // namespace kanata::bench
