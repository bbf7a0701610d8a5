#pragma once
// Answers the modal windows a piece of code opens, in the order expected, so
// tests can drive start-up and screens that ask questions. A modal window that
// no answer was queued for fails the test and is closed, so nothing hangs.
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

namespace qdtest {

class Modales {
public:
    using Respuesta = std::function<void(QWidget*)>;
    Modales()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Mira(); });
        timer_.start();
    }
    ~Modales() { EXPECT_TRUE(respuestas_.empty()) << respuestas_.size() << " expected window(s) never opened"; }
    void Espera(Respuesta r) { respuestas_.push_back(std::move(r)); }
    QStringList Vistos() const { return vistos_; }

private:
    void Mira()
    {
        QWidget* w = QApplication::activeModalWidget();
        // A window seen once is not answered again when it becomes the active
        // modal window anew (after the message it opened closes).
        if (!w || vistas_.contains(w))
            return;
        vistas_.removeAll(nullptr);
        vistas_ << w;
        vistos_ << w->windowTitle();
        if (respuestas_.empty()) {
            ADD_FAILURE() << "unexpected modal window: " << w->windowTitle().toStdString();
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            else
                w->close();
            return;
        }
        auto r = std::make_shared<Respuesta>(std::move(respuestas_.front()));
        respuestas_.pop_front();
        // Answered after this timer event returns: an answer that opens the
        // next window runs its own event loop, and a timer is not delivered
        // again while its own event is being handled.
        QPointer<QWidget> ventana(w);
        QTimer::singleShot(0, w, [r, ventana] {
            if (ventana)
                (*r)(ventana);
            // An answer that left its window open fails instead of hanging.
            QTimer::singleShot(8000, [ventana] {
                if (!ventana || !ventana->isVisible())
                    return;
                ADD_FAILURE() << "the window stayed open after its answer: " << ventana->windowTitle().toStdString();
                if (auto* d = qobject_cast<QDialog*>(ventana.data()))
                    d->reject();
                else
                    ventana->close();
            });
        });
    }
    QTimer timer_;
    std::deque<Respuesta> respuestas_;
    QList<QPointer<QWidget>> vistas_;
    QStringList vistos_;
};

// One answer for the next modal window, for code that opens just one: the
// answerer goes once it has answered.
inline void AlAbrirse(Modales::Respuesta respuesta)
{
    auto* modales = new Modales;
    modales->Espera([modales, respuesta](QWidget* w) {
        respuesta(w);
        delete modales;
    });
}

// Clicks the button of `w` whose text (without "&") is `texto`.
inline void Pulsa(QWidget* w, const QString& texto)
{
    for (QPushButton* b : w->findChildren<QPushButton*>()) {
        if (b->text().remove(QLatin1Char('&')) == texto) {
            b->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << texto.toStdString() << " in " << w->windowTitle().toStdString();
}

// The visible texts of a window's labels, joined: what the user reads.
inline QString Textos(QWidget* w);

} // namespace qdtest

#include <QLabel>
inline QString qdtest::Textos(QWidget* w)
{
    QStringList t;
    for (QLabel* l : w->findChildren<QLabel*>())
        if (!l->text().isEmpty())
            t << l->text();
    return t.join(QLatin1Char('\n'));
}
