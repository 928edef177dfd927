// The thread of WorkerHost: web/avs-worker.js in a context with only a classic worker's globals (self,
// importScripts, postMessage, location, fetch of its own folder), so that the module's glue takes its
// browser path rather than node's.
'use strict';
const {parentPort, workerData} = require('node:worker_threads');
const fs = require('node:fs');
const path = require('node:path');
const url = require('node:url');
const vm = require('node:vm');

const dir = workerData.dir;
const context = {
    console, performance, setTimeout, clearTimeout, TextDecoder, URL, Response,
    location: {href: url.pathToFileURL(path.join(dir, 'avs-worker.js')).href},
    fetch: async (address) => {
        const bytes = fs.readFileSync(url.fileURLToPath(address));
        return new Response(bytes, {headers: {'Content-Type': 'application/wasm'}});
    },
    postMessage: (message, transfer) => parentPort.postMessage(message, transfer),
};
context.self = context;
context.importScripts = (...names) => {
    for (const name of names) vm.runInContext(fs.readFileSync(path.join(dir, name), 'utf8'), context, {filename: name});
};
vm.createContext(context);
vm.runInContext(fs.readFileSync(path.join(dir, 'avs-worker.js'), 'utf8'), context, {filename: 'avs-worker.js'});
parentPort.on('message', (data) => context.onmessage({data}));
