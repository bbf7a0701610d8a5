#pragma once
// Runs a piece of tidying when the scope ends, however it ends: a dataset
// opened for one piece of work is closed after it, also when the work throws.
#include <functional>
#include <utility>

class TAlSalir {
public:
    explicit TAlSalir(std::function<void()> accion) : accion_(std::move(accion)) {}
    TAlSalir(const TAlSalir&) = delete;
    TAlSalir& operator=(const TAlSalir&) = delete;
    ~TAlSalir() { accion_(); }

private:
    std::function<void()> accion_;
};
