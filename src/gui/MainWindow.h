#pragma once

#include <QMainWindow>

namespace brivel::gui {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

} // namespace brivel::gui
