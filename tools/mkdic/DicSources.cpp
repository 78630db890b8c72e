#include "tools/mkdic/DicSources.h"

#include "data/WidthConversion.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace i18n::phonenumbers {
// libgeocoding's compiled prefix tables. The library exports these accessors
// but Debian installs no header for them; the layout is the generated one.
struct PrefixDescriptions {
    const int32_t* prefixes;
    const int prefixes_size;
    const char** descriptions;
    const int32_t* possible_lengths;
    const int possible_lengths_size;
};
const char** get_prefix_language_code_pairs();
int get_prefix_language_code_pairs_size();
const PrefixDescriptions* get_prefix_descriptions(int index);
} // namespace i18n::phonenumbers

namespace kanata::mkdic {
namespace {

QByteArray readAll(const std::filesystem::path& file) {
    QFile f(QString::fromStdString(file.string()));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + file.string());
    return f.readAll();
}

QJsonDocument parseJson(const QByteArray& bytes, const std::filesystem::path& file) {
    QJsonParseError error{};
    QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw std::runtime_error(file.string() + ": " + error.errorString().toStdString());
    return doc;
}

std::string str(const QJsonValue& v) {
    return v.toString().toStdString();
}

std::string eucToUtf8(const std::string& text) {
    iconv_t cd = iconv_open("UTF-8", "EUC-JP");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no EUC-JP converter");
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        return {};
    out.resize(out.size() - outLeft);
    return out;
}

std::vector<std::string> splitCsv(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ','))
        fields.push_back(field);
    return fields;
}

// "やまだ" -> "ヤマダ"; empty when anything but hiragana is in it.
std::string hiraganaToKatakana(const std::string& text) {
    const QString in = QString::fromStdString(text);
    QString out;
    for (const QChar c : in) {
        if (c.unicode() < 0x3041 || c.unicode() > 0x3096) {
            if (c.unicode() != 0x30FC) // ー
                return {};
            out += c;
            continue;
        }
        out += QChar(static_cast<char16_t>(c.unicode() + 0x60));
    }
    return out.toStdString();
}

// The kinds an SKK annotation names: "姓", "名", or "人名" (either).
struct SkkKinds {
    bool surname = false, given = false, either = false;
};

SkkKinds kindsOf(const std::string& annotation) {
    SkkKinds k;
    const QStringList tokens =
        QString::fromStdString(annotation)
            .split(QRegularExpression(QStringLiteral("[ ,、&]")), Qt::SkipEmptyParts);
    for (const QString& t : tokens) {
        k.surname = k.surname || t == QStringLiteral("姓");
        k.given = k.given || t == QStringLiteral("名");
        k.either = k.either || t == QStringLiteral("人名");
    }
    return k;
}

} // namespace

std::vector<PostalSourceRow> ReadJpostalFolder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().extension() == ".json")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::vector<PostalSourceRow> rows;
    for (const auto& file : files) {
        QByteArray bytes = readAll(file);
        // JSONP: callback( [...] );
        const auto open = bytes.indexOf('(');
        const auto close = bytes.lastIndexOf(')');
        if (open < 0 || close <= open)
            continue;
        const QJsonArray array = parseJson(bytes.mid(open + 1, close - open - 1), file).array();
        for (const QJsonValue& v : array) {
            const QJsonArray r = v.toArray();
            std::string code = str(r.at(0));
            if (!code.empty() && code[0] == '_')
                code.erase(0, 1);
            if (code.size() != 7 || !std::all_of(code.begin(), code.end(), ::isdigit))
                continue;
            PostalSourceRow row;
            row.code = code;
            row.prefecture = str(r.at(1));
            row.city = str(r.at(2));
            row.town = str(r.at(3));
            row.officeAddress = str(r.at(4));
            row.office = str(r.at(5));
            row.prefectureKana = str(r.at(6));
            row.cityKana = str(r.at(7));
            row.townKana = str(r.at(8));
            if (row.prefecture.empty())
                continue;
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

std::vector<Municipality> ReadMunicipalities(const std::filesystem::path& folder) {
    const QJsonObject prefs =
        parseJson(readAll(folder / "pref.json"), folder / "pref.json").object()["pref"].toObject();
    const QJsonObject cities =
        parseJson(readAll(folder / "city.json"), folder / "city.json").object()["city"].toObject();
    std::vector<Municipality> out;
    for (auto it = cities.begin(); it != cities.end(); ++it) {
        const std::string jis = it.key().toStdString();
        const QJsonArray pref = prefs[QString::fromStdString(jis.substr(0, 2))].toArray();
        const QJsonArray city = it.value().toArray();
        out.push_back({jis, str(pref.at(0)), str(city.at(0)), str(pref.at(1)), str(city.at(1))});
    }
    std::sort(out.begin(), out.end(),
              [](const Municipality& a, const Municipality& b) { return a.jis < b.jis; });
    return out;
}

std::map<std::string, Point> ReadPoints(const std::filesystem::path& file) {
    std::map<std::string, Point> out;
    for (const QJsonValue& v : parseJson(readAll(file), file).array()) {
        const QJsonObject o = v.toObject();
        if (o["city"].isNull() || o["state"].isNull())
            continue;
        out.emplace(str(o["state"]) + "|" + str(o["city"]),
                    Point{o["latitude"].toDouble(), o["longitude"].toDouble()});
    }
    return out;
}

std::vector<AreaPrefix> ReadAreaPrefixes(const std::filesystem::path& file) {
    std::vector<AreaPrefix> out;
    auto add = [&out](std::string prefix, std::string name) {
        // Japan's entries after the country code 81; the national form adds 0.
        if (prefix.rfind("81", 0) != 0 || name.empty())
            return;
        out.push_back({"0" + prefix.substr(2), std::move(name)});
    };
    if (!file.empty()) {
        std::ifstream in(file);
        if (!in)
            throw std::runtime_error("cannot read " + file.string());
        std::string line;
        while (std::getline(in, line)) {
            const auto bar = line.find('|');
            if (bar != std::string::npos && !line.empty() && line[0] != '#')
                add(line.substr(0, bar), line.substr(bar + 1));
        }
        return out;
    }
    using namespace i18n::phonenumbers;
    const char** pairs = get_prefix_language_code_pairs();
    for (int i = 0; i < get_prefix_language_code_pairs_size(); ++i) {
        if (std::strcmp(pairs[i], "81_ja") != 0)
            continue;
        const PrefixDescriptions* d = get_prefix_descriptions(i);
        for (int k = 0; k < d->prefixes_size; ++k)
            add(std::to_string(d->prefixes[k]), d->descriptions[k]);
    }
    return out;
}

std::vector<NameSourceRow> ReadNames(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::vector<NameSourceRow> out;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto f = splitCsv(eucToUtf8(line));
        // surface, left id, right id, cost, 名詞, 固有名詞, 人名, kind, *, *, base, reading, ...
        if (f.size() < 12 || f[6] != "人名" || (f[7] != "姓" && f[7] != "名"))
            continue;
        out.push_back({f[7] == "姓", f[0], ToHalfWidth(f[11]), std::atoi(f[3].c_str()),
                       NameSourceRow::kNoRank, false});
    }
    return out;
}

std::vector<NameSourceRow> ReadSkkNames(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::vector<NameSourceRow> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';')
            continue;
        const std::string text = eucToUtf8(line);
        const auto blank = text.find(" /");
        if (blank == std::string::npos)
            continue;
        const std::string reading = ToHalfWidth(hiraganaToKatakana(text.substr(0, blank)));
        if (reading.empty())
            continue;
        std::istringstream forms(text.substr(blank + 2));
        std::string form;
        for (int rank = 0; std::getline(forms, form, '/'); ++rank) {
            const auto semi = form.find(';');
            const std::string kanji = form.substr(0, semi);
            if (kanji.empty() || kanji[0] == '(' || kanji[0] == '[')
                continue; // SKK's program forms
            const SkkKinds k = kindsOf(semi == std::string::npos ? "" : form.substr(semi + 1));
            for (const bool surname : {true, false}) {
                const bool named = surname ? k.surname : k.given;
                if (named || k.either)
                    out.push_back({surname, kanji, reading, NameSourceRow::kNoCost, rank, !named});
            }
        }
    }
    return out;
}

} // namespace kanata::mkdic
