// Base of the 13 pages of PageControl1: a container with its object name,
// placed in the window by TForm1. Each page builds its own controls and
// handlers; the window reaches them through the page object.
#pragma once

#include <QWidget>

namespace kt::app {

class TForm1;

class Page : public QWidget {
    Q_OBJECT
  public:
    Page(TForm1& form, const char* objectName) : form_(form) { setObjectName(objectName); }

  protected:
    TForm1& form_;
};

}  // namespace kt::app
