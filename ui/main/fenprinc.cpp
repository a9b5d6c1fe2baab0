#include "ui/main/fenprinc.h"

TfmPrinc::TfmPrinc(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint) {}

TfmPrinc::~TfmPrinc() = default;

bool TfmPrinc::FormCreate()
{
    return true;
}
