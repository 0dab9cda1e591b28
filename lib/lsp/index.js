'use strict';
// `spellshell lsp`: the language server over standard input and output.
const { Connection } = require('./connection');
const { Server } = require('./server');

// Serves one client until `exit` or the end of the input. Resolves to the exit status the
// protocol gives: 0 after a shutdown request, 1 otherwise.
async function run(options = {}) {
  return (await session(options)).status;
}

// As run, and tells whether every service has closed (`ended`): false while one still loads its
// dictionaries.
async function session({ input = process.stdin, output = process.stdout, env = process.env, platform = process.platform, openService } = {}) {
  let server;
  const connection = new Connection(input, output, {
    request: (method, params, token) => server.request(method, params, token),
    notification: (method, params) => {
      if (method === 'exit') connection.close();
      else server.notification(method, params);
    },
    failed: (method, error) => server.failed(method, error),
  });
  server = new Server(connection, { env, platform, openService });
  // A write to an editor that is gone fails: nothing more can be told, and the end of the input
  // follows.
  output.on?.('error', () => connection.close());
  await connection.listen();
  const status = server.state === 'shutdown' ? 0 : 1;
  input.pause?.();
  if (input === process.stdin) input.destroy();
  const ended = await server.close();
  return { status, ended };
}

// `spellshell lsp` on the process's own standard input and output: the process ends with the
// server, whatever may still be under way (a worker loading a dictionary, a timer of the
// service), so that an editor that starts and stops servers never collects lingering ones.
// Resolves to the exit status, which is also the process's.
async function serve(options = {}) {
  const { status, ended } = await session({ ...options, input: process.stdin, output: process.stdout });
  // What was written last (the answer to `shutdown`) reaches the editor first.
  await new Promise((resolve) => {
    if (process.stdout.destroyed || !process.stdout.writable) resolve();
    else process.stdout.write('', resolve);
  });
  process.exitCode = status;
  // A worker inside Hunspell's load answers no termination, and Node, ending by itself, would
  // wait for its thread (minutes, on a hostile file): the process ends at once.
  if (!ended) process.exit(status);
  // Otherwise it ends by itself, as soon as nothing is left to do: Node then frees its heaps
  // and its workers' (process.exit leaves them to the system). Should anything still hold the
  // event loop, the process ends a second later all the same.
  setTimeout(() => process.exit(status), 1000).unref();
  return status;
}

module.exports = { run, serve };
