#include "maps/MapRequest.h"

namespace kanata {

bool returnsPosition(int index) {
    return index == 0 || index == 1 || index == 2 || index == 5;
}

std::string mapNotInstalledMessage(int index) {
    switch (static_cast<MapProduct>(index)) {
    case MapProduct::AtlasMate:
        return "AtlasMate4/5のどちらのCD-ROMも見つかりません";
    case MapProduct::ProAtlas2002:
        return "プロアトラス2002がインストールされていません";
    case MapProduct::ProAtlasW:
        return "プロアトラスＷ～Ｗ３/SV～SV7のいずれもインストールされていません";
    case MapProduct::EmapZ:
        return "電子地図帳Ｚ[zi]Ⅱ～５のいずれもインストールされていません";
    case MapProduct::ItsumoNavi:
        return "いつもNAVIがインストールされていません";
    case MapProduct::MapFan:
        return "MapFanⅣ/Ⅴのどちらもインストールされていません";
    case MapProduct::MapFanNet:
        return "MapFan.netがインストールされていません";
    case MapProduct::MapFanPlanner:
        return "MapFan PLANNER1/2がインストールされていません";
    case MapProduct::SuperMapple:
        return "スーパーマップル・デジタル Ver.1～17のいずれもインストールされていません";
    case MapProduct::GrandMap:
        return "グランマップがインストールされていません";
    case MapProduct::WebMap:
        return "Google マップが呼び出せません";
    }
    return {};
}

} // namespace kanata
