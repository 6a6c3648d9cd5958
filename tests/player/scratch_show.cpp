#include "PlayerWidget.h"
#include "PlayBtnWidget.h"
#include <orvalta_fake_control.h>
#include <QApplication>
#include <QTimer>
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    orvfake::MediaFacts clip;
    clip.durationUs = 200000000;
    clip.width = 1280;
    clip.height = 720;
    clip.pictureArgb = 0xFF3060C0;
    orvfake::setMedia("/media/Holiday clip.mp4", clip);
    orvfake::PlaybackScript script;
    script.stepUs = 400000;
    orvfake::setPlaybackScript(script);
    PlayerWidget* w = PlayerWidget::GetPlayer();
    w->StartPlayVideo("/media/Holiday clip.mp4");
    w->show();
    QTimer t;
    QObject::connect(&t, &QTimer::timeout, [] { orvfake::deliverFrame("P1"); });
    t.start(40);
    if (argc > 1 && QString(argv[1]) == "pause")
        QTimer::singleShot(3000, [w] { w->m_playBtnWidget->OnBtnPalyOrPause(); });
    QTimer::singleShot(60000, &app, &QApplication::quit);
    return app.exec();
}
