#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TProgDetails;
}

/**
 * The About box: the program's name, version and date. Created hidden at start-up, centred once
 * then, and kept till the end; closing it only hides it, so it shows again where it was left.
 */
class TProgDetails : public QDialog
{
    Q_OBJECT

public:
    explicit TProgDetails(QWidget *parent = nullptr);
    ~TProgDetails() override;

    void FormCreate();
    void Button1Click();

private:
    std::unique_ptr<Ui::TProgDetails> m_ui;
};

/** The one About box. */
extern TProgDetails *ProgDetails;
