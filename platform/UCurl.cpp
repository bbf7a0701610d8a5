#include "UCurl.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {

struct Multi {
    CURLM* m = curl_multi_init();
    Multi() = default;
    Multi(const Multi&) = delete;
    Multi& operator=(const Multi&) = delete;
    ~Multi()
    {
        if (m)
            curl_multi_cleanup(m);
    }
};

} // namespace

CURLcode TransfiereConPintado(CURL* curl, const std::function<bool()>& ronda)
{
    Multi multi;
    if (!multi.m || curl_multi_add_handle(multi.m, curl) != CURLM_OK)
        return CURLE_FAILED_INIT;
    int activos = 1;
    bool sigue = true;
    while (activos > 0 && sigue) {
        if (curl_multi_perform(multi.m, &activos) != CURLM_OK)
            break;
        sigue = !ronda || ronda();
        if (activos > 0 && sigue) {
            curl_multi_poll(multi.m, nullptr, 0, 20, nullptr);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    CURLcode resultado = CURLE_FAILED_INIT;
    int pendientes = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi.m, &pendientes)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == curl)
            resultado = msg->data.result;
    }
    curl_multi_remove_handle(multi.m, curl);
    return resultado;
}
