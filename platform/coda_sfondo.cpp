#include "platform/coda_sfondo.h"

#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace piattaforma {
namespace {

// The queue's thread shares the process's main heap: with the C library's
// default, a thread's first allocation or release sets up a heap of its
// own (a 64 MiB reservation, trimmed), which costs more processor time
// than the few allocations a piece makes. Done once, before the first
// thread starts.
void un_solo_heap() {
#if defined(__GLIBC__) && defined(M_ARENA_MAX)
  static const bool fatto = mallopt(M_ARENA_MAX, 1) != 0;
  (void)fatto;
#endif
}

}  // namespace

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
  if (!filo_.joinable()) {
    chiusa_ = false;
    un_solo_heap();
    filo_ = std::thread([this] { svolgi(); });
  }
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
  cambiato_.notify_one();
  if (filo_.joinable()) filo_.join();
  std::lock_guard<std::mutex> chiave(mutex_);
  return std::exchange(errore_, nullptr);
}

// Takes the pieces one at a time until the queue is empty and closed.
void CodaSfondo::svolgi() {
  std::unique_lock<std::mutex> chiave(mutex_);
  for (;;) {
    cambiato_.wait(chiave, [this] { return chiusa_ || !in_attesa_.empty(); });
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
