#pragma once

#include <QDialog>

/** The About box: the program's name, version and date. Created hidden at start-up, kept till the end. */
class TProgDetails : public QDialog
{
    Q_OBJECT

public:
    explicit TProgDetails(QWidget *parent = nullptr);
};

/** The one About box. */
extern TProgDetails *ProgDetails;
