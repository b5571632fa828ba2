#include "info/ui/frmKeyDoc.h"

#include "info/KeyReference.h"
#include "core/Twips.h"

#include <QListWidget>
#include <QPushButton>

namespace {

// A sorted list box orders its entries alphabetically without regard to case.
class SortedItem : public QListWidgetItem
{
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem &other) const override
    {
        const int c = text().compare(other.text(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : text() < other.text();
    }
};

} // namespace

frmKeyDoc::frmKeyDoc(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName("frmKeyDoc");
    // No caption text. An empty title would make Qt show the program's
    // name in its place; a blank one shows nothing.
    setWindowTitle(QStringLiteral(" "));
    setFixedSize(twips::toPixels(4950), twips::toPixels(5130));

    lstKeyDoc = new QListWidget(this);
    lstKeyDoc->setGeometry(twips::toPixels(120), twips::toPixels(120),
                           twips::toPixels(4695), twips::toPixels(4380));
    QFont listFont("Arial");
    listFont.setPointSizeF(9.75);
    listFont.setBold(true);
    lstKeyDoc->setFont(listFont);
    lstKeyDoc->setSortingEnabled(true);

    cmdOK = new QPushButton("&Got It!", this);
    cmdOK->setGeometry(twips::toPixels((4950 - 1215) / 2), twips::toPixels(4620),
                       twips::toPixels(1215), twips::toPixels(375));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    Form_Load();
}

void frmKeyDoc::Form_Load()
{
    lstKeyDoc->clear();
    for (const QString &line : keyReferenceLines())
        lstKeyDoc->addItem(new SortedItem(line));
}

void showKeyReference(QWidget *parent)
{
    // A new window each time: it is filled afresh at every opening.
    frmKeyDoc window(parent);
    window.exec();
}
