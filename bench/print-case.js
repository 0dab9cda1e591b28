'use strict';
// How a benchmark case in a process of its own reports: its result as one JSON line, or its
// error's stack and exit status 1.
function printCase(promise) {
  promise.then(
    (result) => console.log(JSON.stringify(result)),
    (error) => {
      console.error(error.stack);
      process.exit(1);
    },
  );
}

module.exports = { printCase };
