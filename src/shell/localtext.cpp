#include "shell/localtext.h"

std::string localBytes(const QString &text)
{
    return text.toLocal8Bit().toStdString();
}

QString fromLocalBytes(const std::string &bytes)
{
    return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size()));
}
