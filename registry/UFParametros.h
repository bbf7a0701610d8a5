#pragma once
// The general parameters: the Internet connection that publishes documents.
#include "UDMBase.h"
#include "UFBase.h"

#include <memory>

// A time as "hh:mm" for the automatic entries: empty, or two digits, a colon
// and two digits, hour 00 to 23, minutes 00 to 59.
bool HoraValida(const QString& hora);

class TDMParametros : public TDMBase {
public:
    TDMParametros();
    TFIBTableSet QParametros;
};

class TFParametros : public TFBase {
    Q_OBJECT
public:
    TFParametros();
    ~TFParametros() override;
    TDMParametros* DM() const { return dm_.get(); }

private:
    std::unique_ptr<TDMParametros> dm_;
};
