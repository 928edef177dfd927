// Starts and stops the project's clip server (tests/tools/avsview/clip_server.py) on a site folder.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {root} from './site.mjs';

const script = path.join(root, 'tests/tools/avsview/clip_server.py');

// options: the server's flags, e.g. ['--rate', '7000', '--no-length']. Resolves to {url, stop()}.
export async function startServer(dir, options = [], lifetime = 600) {
    const portFile = path.join(dir, `.port-${process.pid}-${Date.now()}`);
    const child = spawn('python3', [script, '--dir', dir, '--port-file', portFile, '--lifetime', String(lifetime),
                                    ...options], {stdio: ['ignore', 'ignore', 'pipe']});
    let log = '';
    child.stderr.on('data', (data) => { log += data; });
    const stop = () => new Promise((resolve) => {
        if (child.exitCode !== null) return resolve();
        child.once('exit', resolve);
        child.kill();
    });
    for (let i = 0; i < 200 && !fs.existsSync(portFile); i++) {
        if (child.exitCode !== null) throw new Error('the clip server did not start: ' + log);
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
    if (!fs.existsSync(portFile)) {
        await stop();
        throw new Error('the clip server did not answer within 10 s: ' + log);
    }
    const port = fs.readFileSync(portFile, 'utf8').trim();
    fs.rmSync(portFile);
    return {url: `http://127.0.0.1:${port}/`, stop, log: () => log};
}
