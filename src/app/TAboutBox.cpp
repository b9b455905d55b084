#include "app/TAboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(u"AboutBox"_s);
    setWindowTitle(tr("バージョン情報"));
    auto* layout = new QVBoxLayout(this);
    auto* product = new QLabel(u"<b>Tidewell</b>"_s, this);
    product->setObjectName(u"ProductName"_s);
    auto* version = new QLabel(tr("バージョン %1").arg(QStringLiteral(TIDEWELL_VERSION)), this);
    version->setObjectName(u"Version"_s);
    auto* comment = new QLabel(tr("メールアーカイブ管理"), this);
    layout->addWidget(product);
    layout->addWidget(version);
    layout->addWidget(comment);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
