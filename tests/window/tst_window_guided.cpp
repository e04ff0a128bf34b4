#include <QtTest>
class GuidedPlaceholder : public QObject { Q_OBJECT private slots: void none() {} };
QTEST_MAIN(GuidedPlaceholder)
#include "tst_window_guided.moc"
