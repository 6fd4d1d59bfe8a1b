#pragma once
// Work handed to background threads and started there in the order it was
// handed over, so that the caller goes on while the system waits for a
// device. With one thread (the default) the pieces are done one after the
// other; with several, up to that many at once, which lets a device take
// several requests together. The first failure stops the queue: what has
// not started by then is abandoned, never done, and the failure reaches
// the caller.

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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

  // Up to `fili` pieces are done at once, each on a thread of its own
  // (started when a piece finds none free).
  explicit CodaSfondo(int fili = 1) : massimo_(fili < 1 ? 1 : fili) {}
  // Waits for every piece handed over, reporting nothing.
  ~CodaSfondo();
  CodaSfondo(const CodaSfondo&) = delete;
  CodaSfondo& operator=(const CodaSfondo&) = delete;

  // Hands `lavoro` over, starting a thread when none is free and fewer than
  // `fili` run. When an
  // earlier piece has already failed, `lavoro` is abandoned at once (on
  // this thread) and that failure is thrown here instead.
  void aggiungi(std::unique_ptr<Lavoro> lavoro);

  // Throws the first failure of a piece, when one has failed by now.
  void verifica();

  // Waits until every piece handed over has been done or abandoned and
  // the threads have ended; returns the first failure (null when none) and
  // forgets it, so the queue can be used again.
  std::exception_ptr attendi();

 private:
  void svolgi();

  std::mutex mutex_;
  std::condition_variable cambiato_;
  std::deque<std::unique_ptr<Lavoro>> in_attesa_;
  std::exception_ptr errore_;
  bool chiusa_ = false;
  int massimo_;
  int liberi_ = 0;  // threads waiting for a piece
  std::vector<std::thread> fili_;
};

}  // namespace piattaforma
