// mkdic: builds the dictionary folder (postal codes, addresses, exchange
// areas, names) from the installed data packages.
//
//   mkdic --jpostal DIR --zipcode DIR --points FILE --names FILE
//         [--areas FILE] --out DIR
//
// Without --areas the exchange areas come from the system's geocoder data.
#include "tools/mkdic/DicWriter.h"

#include <cstring>
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
        const m::DicCounts c = m::WriteDictionaries(s, opt["out"]);
        std::cout << "postal rows " << c.rows << ", towns " << c.towns << ", offices " << c.offices
                  << ", municipalities " << c.municipalities << ", rows not joined "
                  << c.rowsNotJoined << ", municipalities without a point " << c.withoutPoint
                  << ", exchange areas " << c.areas << " (" << c.areasLinked
                  << " linked), surnames " << c.surnames << ", given names " << c.givenNames
                  << "\n";
    } catch (const std::exception& e) {
        std::cerr << "mkdic: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
