#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("ВАРНЕТ ВМК-01 config v3.1"));
  label.show();
  return app.exec();
}
