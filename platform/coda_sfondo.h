#pragma once
// Work handed to one background thread and done there in the order it was
// handed over, so that the caller goes on while the system waits for a
// device. The first failure stops the queue: what was handed over after it
// is abandoned, never done, and the failure reaches the caller.

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace piattaforma {

class CodaSfondo {
 public:
  // One piece of work. Exactly one of its two functions is called, once,
  // on the background thread: esegui() to do it (it throws to report a
  // failure), or abbandona() when an earlier piece failed (it must not
  // throw: it only lets go of what the piece holds).
  class Lavoro {
   public:
    virtual ~Lavoro() = default;
    virtual void esegui() = 0;
    virtual void abbandona() noexcept = 0;
  };

  CodaSfondo() = default;
  // Waits for every piece handed over, reporting nothing.
  ~CodaSfondo();
  CodaSfondo(const CodaSfondo&) = delete;
  CodaSfondo& operator=(const CodaSfondo&) = delete;

  // Hands `lavoro` over, starting the thread when none runs. When an
  // earlier piece has already failed, `lavoro` is abandoned at once (on
  // this thread) and that failure is thrown here instead.
  void aggiungi(std::unique_ptr<Lavoro> lavoro);

  // Throws the first failure of a piece, when one has failed by now.
  void verifica();

  // Waits until every piece handed over has been done or abandoned and
  // the thread has ended; returns the first failure (null when none) and
  // forgets it, so the queue can be used again.
  std::exception_ptr attendi();

 private:
  void svolgi();

  std::mutex mutex_;
  std::condition_variable cambiato_;
  std::deque<std::unique_ptr<Lavoro>> in_attesa_;
  std::exception_ptr errore_;
  bool chiusa_ = false;
  std::thread filo_;
};

}  // namespace piattaforma
