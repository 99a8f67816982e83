#pragma once
// Text between the system code page the store and the tools use and the
// QString the widgets show.
#include <QString>
#include <string>

QString FromSystem(const std::string &bytes);
std::string ToSystem(const QString &text);
