#include "app/about_dlg.h"

#include "workbench/app_icon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("关于 glyphwright"));
  const QIcon icon = AppIcon();
  setWindowIcon(icon);

  auto *iconLabel = new QLabel(this);
  iconLabel->setPixmap(icon.pixmap(32, 32));
  auto *text = new QLabel(QStringLiteral("glyphwright，1.0 版"), this);
  text->setMinimumWidth(180);
  auto *ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setObjectName(QStringLiteral("1")); // IDOK
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto *row = new QHBoxLayout;
  row->addWidget(iconLabel);
  row->addSpacing(12);
  row->addWidget(text, 1);
  row->addWidget(ok, 0, Qt::AlignTop);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->addLayout(row);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
