#pragma once

#include <QDialog>

// The version window: program name, version and copyright.
class TAboutBox final : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
};
