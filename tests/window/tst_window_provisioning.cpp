#include <QtTest>
class Placeholder : public QObject { Q_OBJECT private slots: void none() {} };
QTEST_MAIN(Placeholder)
#include "tst_window_provisioning.moc"
