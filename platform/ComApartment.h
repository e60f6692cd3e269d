#pragma once

namespace corvane {

// A single-threaded COM apartment for the life of the object on Windows (the XML component and the
// internet layer need one on every thread that uses them); nothing natively.
class ComApartment {
  public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    [[maybe_unused]] bool entered_ = false;
};

}  // namespace corvane
