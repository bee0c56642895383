// The figures the benchmark program measures, each beside the physical
// baseline of the same work: an operation of the source and the least that
// the same data needs (an allocation and a copy, the library calls alone).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_source.h"

// One measured operation: set up by its constructor, then run repeatedly.
class Operation {
 public:
  virtual ~Operation() = default;
  // False when the set-up failed; the benchmark is then skipped.
  virtual bool Ready() const { return true; }
  virtual void Run() = 0;
};

typedef std::function<std::unique_ptr<Operation>(BenchSource&)> OperationMaker;

struct Comparison {
  std::string figure;  // "native/grey"
  OperationMaker measure;
  OperationMaker baseline;  // empty: the figure stands alone
  double goal;              // largest acceptable ratio; 0: none set
};

// The comparisons, in the order the bench files registered them.
std::vector<Comparison>& Comparisons();
// Adds a comparison; returns true so that a file can register at load.
bool RegisterComparison(Comparison comparison);

template <typename T, typename... Args>
OperationMaker Make(Args... args) {
  return [=](BenchSource& source) -> std::unique_ptr<Operation> {
    return std::make_unique<T>(source, args...);
  };
}
