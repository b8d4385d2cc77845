#pragma once
// Level display: a widget showing a spectrum of every block it is given.

#include "components/Block.h"

#include <QColor>
#include <QWidget>

class TAudioVisualizationEx2 : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    ~TAudioVisualizationEx2() override = default;

    virtual void DisplayArray(const Block& block) = 0;
    virtual void setLineCount(int count) = 0;
    virtual int lineCount() const = 0;
};
