#include "about/progdetails.h"

TProgDetails *ProgDetails = nullptr;

TProgDetails::TProgDetails(QWidget *parent) : QDialog(parent)
{
    ProgDetails = this;
    setWindowTitle(QStringLiteral("ProgDetails"));
}
