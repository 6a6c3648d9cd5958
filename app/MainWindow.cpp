#include "MainWindow.h"

#include "CSingleVersionStringUtil.h"

#include <QVBoxLayout>

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
    resize(900, 640);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    layout->addWidget(central);
}
