#pragma once
// The administrator's own details, printed in letters, labels and listings.
#include "UDMBase.h"
#include "UFBase.h"

#include <memory>

class TDMAdministrador : public TDMBase {
public:
    TDMAdministrador();
    TFIBTableSet QTabla;
};

class TFAdministrador : public TFBase {
    Q_OBJECT
public:
    TFAdministrador();
    ~TFAdministrador() override;
    TDMAdministrador* DM() const { return dm_.get(); }

private:
    std::unique_ptr<TDMAdministrador> dm_;
};
