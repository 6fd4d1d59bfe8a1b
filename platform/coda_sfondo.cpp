#include "platform/coda_sfondo.h"

#include <utility>

namespace piattaforma {

CodaSfondo::~CodaSfondo() { attendi(); }

void CodaSfondo::aggiungi(std::unique_ptr<Lavoro> lavoro) {
  std::unique_lock<std::mutex> chiave(mutex_);
  if (errore_) {
    const std::exception_ptr errore = errore_;
    chiave.unlock();
    lavoro->abbandona();
    std::rethrow_exception(errore);
  }
  in_attesa_.push_back(std::move(lavoro));
  if (fili_.empty()) chiusa_ = false;
  if (static_cast<int>(in_attesa_.size()) > liberi_ && static_cast<int>(fili_.size()) < massimo_)
    fili_.emplace_back([this] { svolgi(); });
  cambiato_.notify_one();
}

void CodaSfondo::verifica() {
  std::lock_guard<std::mutex> chiave(mutex_);
  if (errore_) std::rethrow_exception(errore_);
}

std::exception_ptr CodaSfondo::attendi() {
  {
    std::lock_guard<std::mutex> chiave(mutex_);
    chiusa_ = true;
  }
  cambiato_.notify_all();
  for (std::thread& f : fili_) f.join();
  std::lock_guard<std::mutex> chiave(mutex_);
  fili_.clear();
  liberi_ = 0;
  return std::exchange(errore_, nullptr);
}

// Takes the pieces one at a time, in order, until the queue is empty and
// closed; the other threads take theirs meanwhile.
void CodaSfondo::svolgi() {
  std::unique_lock<std::mutex> chiave(mutex_);
  for (;;) {
    ++liberi_;
    cambiato_.wait(chiave, [this] { return chiusa_ || !in_attesa_.empty(); });
    --liberi_;
    if (in_attesa_.empty()) return;
    std::unique_ptr<Lavoro> lavoro = std::move(in_attesa_.front());
    in_attesa_.pop_front();
    const bool fallita = errore_ != nullptr;
    chiave.unlock();
    std::exception_ptr errore;
    if (fallita) {
      lavoro->abbandona();
    } else {
      try {
        lavoro->esegui();
      } catch (...) {
        errore = std::current_exception();
      }
    }
    lavoro.reset();
    chiave.lock();
    if (errore && !errore_) errore_ = errore;
  }
}

}  // namespace piattaforma
