#include "app/drivecombobox.h"

DriveComboBox::DriveComboBox(QWidget *parent) : QComboBox(parent) {}
