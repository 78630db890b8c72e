#include "roster/gui/MeiboListParts.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace kanata {

QHBoxLayout* MakeMeiboSortRow(QWidget* owner, MeiboSortButtons& buttons,
                              const std::function<void(MeiboSort)>& onClick) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    for (int k = 0; k < kMeiboSortCount; ++k) {
        const auto sort = static_cast<MeiboSort>(k);
        auto* b = new QPushButton(QString::fromUtf8(MeiboSortCaption(sort)), owner);
        b->setAutoDefault(false);
        QObject::connect(b, &QPushButton::clicked, owner, [onClick, sort] { onClick(sort); });
        buttons[static_cast<std::size_t>(k)] = b;
        row->addWidget(b);
    }
    row->addStretch();
    return row;
}

void MarkMeiboSort(const QWidget& owner, const MeiboSortButtons& buttons,
                   std::optional<MeiboSort> current) {
    for (int k = 0; k < kMeiboSortCount; ++k) {
        QPushButton* b = buttons[static_cast<std::size_t>(k)];
        const bool marked = current && k == static_cast<int>(*current);
        QFont f = owner.font();
        f.setBold(marked);
        b->setFont(f);
        QPalette p = owner.palette();
        if (marked)
            p.setColor(QPalette::ButtonText, Qt::blue);
        b->setPalette(p);
    }
}

QStringList MeiboColumnTitles() {
    return {QStringLiteral("No."),  QStringLiteral("電話番号１"), QStringLiteral("電話番号２"),
            QStringLiteral("住所"), QStringLiteral("会社名"),     QStringLiteral("名前")};
}

} // namespace kanata
