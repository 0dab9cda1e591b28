-- Driven by lsp-neovim.test.js: Neovim's own LSP client against `spellshell lsp`. Opens
-- SPELLSHELL_FILE, waits for the diagnostics, applies the first quick fix of the first one and
-- writes what happened, line by line, to SPELLSHELL_OUT.
local out = {}
local function say(...)
  table.insert(out, table.concat({ ... }, '\t'))
end
local function finish()
  vim.fn.writefile(out, vim.env.SPELLSHELL_OUT)
  vim.cmd('qall!')
end

-- An init file runs before Neovim turns file type detection on, and the type is the document's
-- language id: without it a Markdown file would go to the server as plain text.
vim.cmd('filetype on')

local client_id = vim.lsp.start_client({
  name = 'spellshell',
  cmd = { vim.env.SPELLSHELL_NODE, vim.env.SPELLSHELL_BIN, 'lsp' },
  root_dir = vim.env.SPELLSHELL_PROJECT,
  init_options = { languages = { 'en_US' }, personalDictionary = vim.env.SPELLSHELL_PERSONAL },
})
vim.cmd('edit ' .. vim.fn.fnameescape(vim.env.SPELLSHELL_FILE))
local buf = vim.api.nvim_get_current_buf()
vim.lsp.buf_attach_client(buf, client_id)

if not vim.wait(30000, function() return #vim.diagnostic.get(buf) > 0 end, 20) then
  say('timeout', 'no diagnostics')
  return finish()
end
local diagnostics = vim.diagnostic.get(buf)
table.sort(diagnostics, function(a, b) return a.lnum < b.lnum or (a.lnum == b.lnum and a.col < b.col) end)
for _, d in ipairs(diagnostics) do
  say('diagnostic', d.lnum + 1, d.col + 1, d.source, d.severity, d.message)
end

local first = diagnostics[1]
local lsp_diagnostics = vim.lsp.diagnostic.get_line_diagnostics(buf, first.lnum)
local params = {
  textDocument = { uri = vim.uri_from_bufnr(buf) },
  range = { start = { line = first.lnum, character = first.col }, ['end'] = { line = first.end_lnum, character = first.end_col } },
  context = { diagnostics = lsp_diagnostics },
}
local replies = vim.lsp.buf_request_sync(buf, 'textDocument/codeAction', params, 10000) or {}
local actions = replies[client_id] and replies[client_id].result or {}
for _, action in ipairs(actions) do
  say('action', action.title)
end
if actions[1] and actions[1].edit then
  vim.lsp.util.apply_workspace_edit(actions[1].edit, 'utf-16')
end
for _, line in ipairs(vim.api.nvim_buf_get_lines(buf, 0, -1, false)) do
  say('buffer', line)
end
vim.lsp.stop_client(client_id)
vim.wait(2000, function() return vim.lsp.get_client_by_id(client_id) == nil end, 20)
finish()
