#pragma once
// Joins the packaged sources and writes the dictionary folder: the files that
// lookup/AddressDictionary and lookup/NameDictionary read.
#include "tools/mkdic/DicSources.h"

#include <filesystem>
#include <string>

namespace kanata::mkdic {

struct DicSourcesRead {
    std::vector<PostalSourceRow> postal;
    std::vector<Municipality> municipalities;
    std::map<std::string, Point> points;
    std::vector<AreaPrefix> areas;
    std::map<std::string, std::vector<std::string>> served; // see ReadServedMunicipalities
    std::vector<NameSourceRow> names;
};

struct DicCounts {
    std::size_t rows = 0, towns = 0, offices = 0, municipalities = 0;
    std::size_t rowsNotJoined = 0; // postal rows without a municipality code
    std::size_t withoutPoint = 0;  // municipalities without coordinates
    std::size_t areas = 0, areasLinked = 0;
    std::vector<std::string> unlinkedAreas; // "prefix name"
    std::size_t surnames = 0, givenNames = 0;
};

// Writes city.txt, postal.txt, area.txt, sei.txt, mei.txt into `out`
// (created when missing) and returns what it wrote.
DicCounts WriteDictionaries(const DicSourcesRead& sources, const std::filesystem::path& out);

} // namespace kanata::mkdic
