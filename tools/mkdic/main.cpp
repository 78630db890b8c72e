// mkdic: builds the dictionary folder (postal codes, addresses, exchange
// areas, names) from the installed data packages.
//
//   mkdic --jpostal DIR --zipcode DIR --points FILE --names FILE
//         [--more-names FILE] [--areas FILE] [--served FILE] --out DIR
//
// --more-names: an SKK name dictionary that adds current names and orders
// the forms of a reading by use. Without --areas the exchange areas come from
// the system's geocoder data; --served lists municipalities areas serve
// beyond their names.
#include "tools/mkdic/AreaLinks.h"
#include "tools/mkdic/DicWriter.h"

#include <cstring>
#include <iomanip>
#include <iostream>
#include <map>

int main(int argc, char** argv) {
    std::map<std::string, std::string> opt;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strncmp(argv[i], "--", 2) != 0) {
            std::cerr << "mkdic: unexpected " << argv[i] << "\n";
            return 2;
        }
        opt[argv[i] + 2] = argv[i + 1];
    }
    for (const char* need : {"jpostal", "zipcode", "points", "names", "out"})
        if (!opt.count(need)) {
            std::cerr << "mkdic: --" << need << " is missing\n";
            return 2;
        }
    try {
        namespace m = kanata::mkdic;
        m::DicSourcesRead s;
        s.postal = m::ReadJpostalFolder(opt["jpostal"]);
        s.municipalities = m::ReadMunicipalities(opt["zipcode"]);
        s.points = m::ReadPoints(opt["points"]);
        s.areas = m::ReadAreaPrefixes(opt.count("areas") ? opt["areas"] : "");
        s.names = m::ReadNames(opt["names"]);
        if (opt.count("more-names")) {
            const auto more = m::ReadSkkNames(opt["more-names"]);
            s.names.insert(s.names.end(), more.begin(), more.end());
        }
        if (opt.count("served"))
            s.served = m::ReadServedMunicipalities(opt["served"]);
        const m::DicCounts c = m::WriteDictionaries(s, opt["out"]);
        std::cout << "postal rows " << c.rows << ", towns " << c.towns << ", offices " << c.offices
                  << ", municipalities " << c.municipalities << ", rows not joined "
                  << c.rowsNotJoined << ", municipalities without a point " << c.withoutPoint
                  << ", exchange areas " << c.areas << " (" << c.areasLinked
                  << " linked), unlinked exchange areas " << c.unlinkedAreas.size() << " ("
                  << std::fixed << std::setprecision(1)
                  << (c.areas ? 100.0 * static_cast<double>(c.unlinkedAreas.size()) /
                                    static_cast<double>(c.areas)
                              : 0.0)
                  << "%), surnames " << c.surnames << ", given names " << c.givenNames << "\n";
        for (const std::string& area : c.unlinkedAreas)
            std::cout << "unlinked exchange area: " << area << "\n";
    } catch (const std::exception& e) {
        std::cerr << "mkdic: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
